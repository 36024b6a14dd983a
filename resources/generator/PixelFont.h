#pragma once

#include <string_view>

namespace zephyl::bitmaps {

// A small bitmap font for the 33 x 13 display pictures: lowercase letters, the digits and
// signs the panel's words need. Glyphs are 9 rows high: 7 above the baseline (the x-height is
// 5 of them) and 2 below, and 1 to 5 columns wide, set one column apart.
inline constexpr int kGlyphRows = 9;
inline constexpr int kGlyphAscent = 7;

struct Glyph {
  char letter;
  const char* rows[kGlyphRows];  // '#' lit, anything else dark; all rows of one width
};

const Glyph& GlyphOf(char letter);  // throws for a letter the font lacks
int GlyphWidth(const Glyph& glyph);
int TextWidth(std::string_view text);

// Calls plot(x, y) for every lit pixel of `text` set from column `left`, with glyph row 0 at
// row `top`.
template <typename Plot>
void SetText(std::string_view text, int left, int top, Plot plot) {
  int x = left;
  for (char c : text) {
    const Glyph& glyph = GlyphOf(c);
    const int width = GlyphWidth(glyph);
    for (int row = 0; row < kGlyphRows; ++row) {
      for (int col = 0; col < width; ++col) {
        if (glyph.rows[row][col] == '#') plot(x + col, top + row);
      }
    }
    x += width + 1;
  }
}

}  // namespace zephyl::bitmaps
