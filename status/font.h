#pragma once

// The built-in 8 x 8 bitmap font for the IBM PC character set (code page 437).
//
// Glyph v occupies kFontCp437[8 * v] .. kFontCp437[8 * v + 7], one byte per
// pixel row from the top.  In each row byte bit 0 is the leftmost pixel and
// bit 7 the rightmost; a set bit is foreground.  The table is generated at
// build time from status/font_cp437.txt by cmake/font_table.cmake.

namespace scrpack {

constexpr int kGlyphWidth = 8;
constexpr int kGlyphHeight = 8;

extern const unsigned char kFontCp437[256 * 8];

// Returns the kGlyphHeight row bytes of the glyph for byte.
inline const unsigned char* glyphRows(unsigned char byte) {
  return kFontCp437 + byte * kGlyphHeight;
}

}  // namespace scrpack
