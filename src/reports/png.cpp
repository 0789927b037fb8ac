#include "reports/png.h"

#include <zlib.h>

#include "common/error.h"
#include "reports/bitmap_font.h"

namespace examora {
namespace {

void AppendBigEndian(std::string& out, unsigned long value) {
  for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((value >> shift) & 0xFF);
}

void AppendChunk(std::string& out, const char* type, const std::string& data) {
  AppendBigEndian(out, data.size());
  const std::string typed = std::string(type, 4) + data;
  out += typed;
  AppendBigEndian(out, crc32(0L, reinterpret_cast<const Bytef*>(typed.data()),
                             static_cast<uInt>(typed.size())));
}

std::string Compress(const std::string& raw) {
  uLongf size = compressBound(static_cast<uLong>(raw.size()));
  std::string packed(size, '\0');
  if (compress2(reinterpret_cast<Bytef*>(packed.data()), &size,
                reinterpret_cast<const Bytef*>(raw.data()), static_cast<uLong>(raw.size()),
                Z_BEST_COMPRESSION) != Z_OK) {
    throw Error("Cannot compress a picture");
  }
  packed.resize(size);
  return packed;
}

}  // namespace

std::string EncodePng(const GreyImage& image) {
  std::string header;
  AppendBigEndian(header, static_cast<unsigned long>(image.width));
  AppendBigEndian(header, static_cast<unsigned long>(image.height));
  header += std::string("\x08\x00\x00\x00\x00", 5);  // 8-bit grey, deflate, no filter/interlace
  std::string raw;
  raw.reserve(static_cast<std::size_t>((image.width + 1) * image.height));
  for (int y = 0; y < image.height; ++y) {
    raw += '\0';  // filter type None
    const auto row = image.pixels.begin() + static_cast<std::ptrdiff_t>(y) * image.width;
    raw.append(row, row + image.width);
  }
  std::string png = "\x89PNG\r\n\x1a\n";
  AppendChunk(png, "IHDR", header);
  AppendChunk(png, "IDAT", Compress(raw));
  AppendChunk(png, "IEND", "");
  return png;
}

GreyImage HeadingImage(std::string_view text) {
  GreyImage image{kHeadingWidth, kHeadingHeight,
                  std::vector<unsigned char>(kHeadingWidth * kHeadingHeight, 255)};
  constexpr int kMargin = 4;
  const int left = (kHeadingWidth - kGlyphHeight) / 2;
  const std::size_t fits = (kHeadingHeight - 2 * kMargin) / kGlyphWidth;
  if (text.size() > fits) text = text.substr(0, fits);
  for (std::size_t k = 0; k < text.size(); ++k) {
    for (int gy = 0; gy < kGlyphHeight; ++gy) {
      for (int gx = 0; gx < kGlyphWidth; ++gx) {
        if (!GlyphPixel(static_cast<unsigned char>(text[k]), gx, gy)) continue;
        // Turned a quarter left: the glyph's top faces the left edge, the text runs upwards.
        const int x = left + gy;
        const int y = kHeadingHeight - 1 - kMargin - static_cast<int>(k) * kGlyphWidth - gx;
        image.pixels[static_cast<std::size_t>(y * kHeadingWidth + x)] = 0;
      }
    }
  }
  return image;
}

}  // namespace examora
