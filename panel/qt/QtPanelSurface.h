#pragma once

#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QPen>
#include <QPointF>
#include <vector>

#include "PanelSurface.h"

class QPainter;

namespace zephyl {

// The panel's drawing surface over a QPainter, for one pass. "Arial" is drawn in a metric
// twin (Liberation Sans, Arimo) where there is one, else in the platform's sans-serif; a
// font's cell height is its ascent plus descent, as the panel's layout expects.
class QtPanelSurface final : public PanelSurface {
 public:
  explicit QtPanelSurface(QPainter& painter);

  FontHandle CreateFont(const FontDesc& desc) override;
  PenHandle CreatePen(int width, Rgb colour) override;
  FontHandle SelectFont(FontHandle font) override;
  PenHandle SelectPen(PenHandle pen) override;
  void DeleteFont(FontHandle font) override;
  void DeletePen(PenHandle pen) override;
  void SetTextBackground(Rgb colour) override { m_textBackground = ToQColor(colour); }
  void SetTextColor(Rgb colour) override { m_textColour = ToQColor(colour); }
  void SetTextAlign(TextAlign align) override { m_align = align; }
  void TextOut(int x, int y, std::string_view text) override;
  void MoveTo(int x, int y) override { m_position = QPointF(x, y); }
  void LineTo(int x, int y) override;
  void DrawPicture(const PanelRect& destination, const PictureImage& picture) override;

  // The font that `desc` gives on this system, sized to its cell height on a device of
  // `dotsPerInch`.
  static QFont FontFor(const FontDesc& desc, int dotsPerInch);

 private:
  static QColor ToQColor(Rgb c) { return QColor(c.r, c.g, c.b); }
  // A font with its measures at the painter's device, taken once.
  struct MeasuredFont {
    QFont font;
    QFontMetricsF metrics;
  };
  MeasuredFont Measured(const QFont& font) const;
  const MeasuredFont& Font() const;
  const QPen& Pen() const;

  QPainter& m_painter;
  MeasuredFont m_defaultFont;
  QPen m_defaultPen;
  std::vector<MeasuredFont> m_fonts;  // handle h is m_fonts[h - 1]
  std::vector<QPen> m_pens;
  FontHandle m_font = 0;
  PenHandle m_pen = 0;
  QColor m_textBackground = Qt::white;
  QColor m_textColour = Qt::black;
  TextAlign m_align = TextAlign::TopLeft;
  QPointF m_position;
};

}  // namespace zephyl
