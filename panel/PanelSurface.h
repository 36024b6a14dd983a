#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "PanelGeometry.h"

namespace zephyl {

struct Rgb {
  std::uint8_t r = 0;
  std::uint8_t g = 0;
  std::uint8_t b = 0;

  friend bool operator==(const Rgb&, const Rgb&) = default;
};

// A font as the panel asks for it: a proportional sans-serif face, not italic, underlined or
// struck out. The cell height is the ascent plus the descent in pixels, not the em size.
struct FontDesc {
  std::string_view face;
  int cellHeight = 0;
  int weight = 400;  // 100 to 900; 400 regular, 700 bold
};

// A picture ready to draw: premultiplied ARGB32 pixels, rows top-down and packed.
struct PictureImage {
  int width = 0;
  int height = 0;
  std::span<const std::uint32_t> pixels;
  bool opaque = true;  // every alpha is 255
};

enum class TextAlign { TopLeft, TopCentre };

// Where the panel is drawn. Fonts and pens are created per pass and selected like the
// platform's drawing objects: selecting one returns the one selected before, so it can be
// put back. Handle 0 stands for the surface's own default.
class PanelSurface {
 public:
  using FontHandle = int;
  using PenHandle = int;

  virtual ~PanelSurface() = default;

  virtual FontHandle CreateFont(const FontDesc& desc) = 0;
  virtual PenHandle CreatePen(int width, Rgb colour) = 0;
  virtual FontHandle SelectFont(FontHandle font) = 0;
  virtual PenHandle SelectPen(PenHandle pen) = 0;
  virtual void DeleteFont(FontHandle font) = 0;
  virtual void DeletePen(PenHandle pen) = 0;

  // Text is drawn on an opaque cell of the background colour, as wide as the text and as high
  // as the font's cell.
  virtual void SetTextBackground(Rgb colour) = 0;
  virtual void SetTextColor(Rgb colour) = 0;
  virtual void SetTextAlign(TextAlign align) = 0;
  virtual void TextOut(int x, int y, std::string_view text) = 0;

  // A polyline with the selected pen.
  virtual void MoveTo(int x, int y) = 0;
  virtual void LineTo(int x, int y) = 0;

  // The whole picture into `destination`, stretched by dropping or repeating pixels.
  virtual void DrawPicture(const PanelRect& destination, const PictureImage& picture) = 0;
};

}  // namespace zephyl
