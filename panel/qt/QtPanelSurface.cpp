#include "QtPanelSurface.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QStringList>
#include <cmath>
#include <map>
#include <tuple>

namespace zephyl {

namespace {

constexpr double kPointsPerInch = 72;
constexpr int kProbePixels = 100;

// Faces that share the metrics of the one asked for, tried before the generic fallback.
QStringList FacesFor(std::string_view face) {
  QStringList faces{QString::fromUtf8(face.data(), static_cast<qsizetype>(face.size()))};
  if (face == "Arial")
    faces << "Liberation Sans"
          << "Arimo";
  return faces;
}

QFont Unsized(const FontDesc& desc) {
  QFont font;
  font.setFamilies(FacesFor(desc.face));
  font.setStyleHint(QFont::SansSerif);
  font.setWeight(static_cast<QFont::Weight>(desc.weight));
  font.setItalic(false);
  font.setUnderline(false);
  font.setStrikeOut(false);
  font.setKerning(false);
  return font;
}

}  // namespace

QFont QtPanelSurface::FontFor(const FontDesc& desc, int dotsPerInch) {
  // The ascent plus descent of a face at a known size gives the em size that fills the cell.
  // Measuring costs a font lookup, so each face and weight is measured once.
  static std::map<std::tuple<std::string, int>, double> emPerCell;
  const auto key = std::make_tuple(std::string(desc.face), desc.weight);
  auto found = emPerCell.find(key);
  if (found == emPerCell.end()) {
    QFont probe = Unsized(desc);
    probe.setPixelSize(kProbePixels);
    const QFontMetricsF metrics(probe);
    found = emPerCell.emplace(key, kProbePixels / (metrics.ascent() + metrics.descent())).first;
  }
  // Pixel sizes are whole numbers; a point size at the device's resolution is not.
  QFont font = Unsized(desc);
  font.setPointSizeF(desc.cellHeight * found->second * kPointsPerInch / dotsPerInch);
  return font;
}

QtPanelSurface::QtPanelSurface(QPainter& painter)
    : m_painter(painter), m_defaultFont(Measured(painter.font())), m_defaultPen(painter.pen()) {}

QtPanelSurface::MeasuredFont QtPanelSurface::Measured(const QFont& font) const {
  return {font, QFontMetricsF(font, m_painter.device())};
}

PanelSurface::FontHandle QtPanelSurface::CreateFont(const FontDesc& desc) {
  m_fonts.push_back(Measured(FontFor(desc, m_painter.device()->logicalDpiY())));
  return static_cast<FontHandle>(m_fonts.size());
}

PanelSurface::PenHandle QtPanelSurface::CreatePen(int width, Rgb colour) {
  QPen pen(ToQColor(colour), width, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
  m_pens.push_back(pen);
  return static_cast<PenHandle>(m_pens.size());
}

PanelSurface::FontHandle QtPanelSurface::SelectFont(FontHandle font) {
  const FontHandle old = m_font;
  m_font = font;
  return old;
}

PanelSurface::PenHandle QtPanelSurface::SelectPen(PenHandle pen) {
  const PenHandle old = m_pen;
  m_pen = pen;
  return old;
}

// Handles stay valid for the surface's life; deleting only forgets what they hold.
void QtPanelSurface::DeleteFont(FontHandle font) {
  if (font > 0 && font <= static_cast<FontHandle>(m_fonts.size())) {
    m_fonts[font - 1] = m_defaultFont;
  }
}

void QtPanelSurface::DeletePen(PenHandle pen) {
  if (pen > 0 && pen <= static_cast<PenHandle>(m_pens.size())) m_pens[pen - 1] = QPen();
}

const QtPanelSurface::MeasuredFont& QtPanelSurface::Font() const {
  return m_font > 0 && m_font <= static_cast<FontHandle>(m_fonts.size()) ? m_fonts[m_font - 1]
                                                                         : m_defaultFont;
}

const QPen& QtPanelSurface::Pen() const {
  return m_pen > 0 && m_pen <= static_cast<PenHandle>(m_pens.size()) ? m_pens[m_pen - 1]
                                                                     : m_defaultPen;
}

void QtPanelSurface::TextOut(int x, int y, std::string_view text) {
  const QString string = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  const auto& [font, metrics] = Font();
  const double width = metrics.horizontalAdvance(string);
  const double height = metrics.ascent() + metrics.descent();
  const double left = m_align == TextAlign::TopCentre ? std::round(x - width / 2) : x;
  m_painter.fillRect(QRectF(left, y, std::round(width), std::round(height)), m_textBackground);
  m_painter.setFont(font);
  m_painter.setPen(m_textColour);
  m_painter.drawText(QPointF(left, y + metrics.ascent()), string);
}

void QtPanelSurface::LineTo(int x, int y) {
  const QPointF to(x, y);
  m_painter.setPen(Pen());
  m_painter.drawLine(m_position, to);
  m_position = to;
}

void QtPanelSurface::DrawPicture(const PanelRect& destination, const PictureImage& picture) {
  if (picture.width <= 0 || picture.height <= 0) return;
  // Wraps the prepared pixels without copying them.
  const QImage image(reinterpret_cast<const uchar*>(picture.pixels.data()), picture.width,
                     picture.height, picture.width * static_cast<qsizetype>(sizeof(std::uint32_t)),
                     picture.opaque ? QImage::Format_RGB32 : QImage::Format_ARGB32_Premultiplied);
  m_painter.drawImage(QRect(destination.left, destination.top, destination.right - destination.left,
                            destination.bottom - destination.top),
                      image);
}

}  // namespace zephyl
