// Grey-scale pictures and their PNG encoding: the column headings of the HTML reports.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace examora {

/// One byte a pixel (0 black, 255 white), row by row from the top.
struct GreyImage {
  int width = 0;
  int height = 0;
  std::vector<unsigned char> pixels;
};

/// The picture as an 8-bit grey-scale PNG file.
std::string EncodePng(const GreyImage& image);

inline constexpr int kHeadingWidth = 19;
inline constexpr int kHeadingHeight = 251;

/// A report column heading: white, 19 x 251, with `text` in black written upright (reading
/// from the bottom up); text too long for the height is cut.
GreyImage HeadingImage(std::string_view text);

}  // namespace examora
