// A small built-in bitmap font for the pictures the reports draw, so no font file or graphics
// library is needed to make them.
#pragma once

namespace examora {

inline constexpr int kGlyphWidth = 7;
inline constexpr int kGlyphHeight = 13;

/// Whether pixel (x, y) of a character's cell is inked; characters outside printable ASCII are
/// drawn as "?".
bool GlyphPixel(unsigned char c, int x, int y);

}  // namespace examora
