#include "ZephylIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QRadialGradient>
#include <array>

namespace zephyl {

namespace {

constexpr std::array kWindowIconSizes = {16, 24, 32, 48, 64};
const QColor kTileGrey(82, 82, 82);
const QColor kTileEdge(56, 56, 56);
const QColor kSheetGrey(150, 150, 150);

// A sphere lit from the upper left, with a soft glow around it.
void DrawSphere(QPainter& p, QPointF centre, qreal radius) {
  QRadialGradient glow(centre, radius * 1.6);
  glow.setColorAt(0.55, QColor(255, 170, 40, 110));
  glow.setColorAt(1.0, QColor(255, 150, 30, 0));
  p.setPen(Qt::NoPen);
  p.setBrush(glow);
  p.drawEllipse(centre, radius * 1.6, radius * 1.6);

  QRadialGradient body(centre, radius, centre - QPointF(radius * 0.35, radius * 0.4));
  body.setColorAt(0.0, QColor(255, 252, 210));
  body.setColorAt(0.35, QColor(255, 214, 60));
  body.setColorAt(0.8, QColor(240, 140, 20));
  body.setColorAt(1.0, QColor(170, 80, 10));
  p.setBrush(body);
  p.drawEllipse(centre, radius, radius);
}

QImage Blank(int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  return image;
}

}  // namespace

QImage DrawProgramIcon(int size) {
  QImage image = Blank(size);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  const qreal s = size;
  const QRectF tile(s * 0.03, s * 0.03, s * 0.94, s * 0.94);
  p.setPen(QPen(kTileEdge, std::max<qreal>(1.0, s / 48)));
  p.setBrush(kTileGrey);
  p.drawRoundedRect(tile, s * 0.16, s * 0.16);
  DrawSphere(p, {s * 0.34, s * 0.62}, s * 0.19);
  DrawSphere(p, {s * 0.68, s * 0.66}, s * 0.15);
  DrawSphere(p, {s * 0.55, s * 0.32}, s * 0.13);
  return image;
}

QImage DrawBankFileIcon(int size) {
  QImage image = Blank(size);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  const qreal s = size;
  const qreal fold = s * 0.22;
  QPainterPath sheet;
  sheet.moveTo(s * 0.16, s * 0.05);
  sheet.lineTo(s * 0.84 - fold, s * 0.05);
  sheet.lineTo(s * 0.84, s * 0.05 + fold);
  sheet.lineTo(s * 0.84, s * 0.95);
  sheet.lineTo(s * 0.16, s * 0.95);
  sheet.closeSubpath();
  p.setPen(QPen(kTileEdge, std::max<qreal>(1.0, s / 48)));
  p.setBrush(kSheetGrey);
  p.drawPath(sheet);
  p.setBrush(kTileGrey);
  p.drawRect(QRectF(s * 0.24, s * 0.40, s * 0.52, s * 0.46));
  DrawSphere(p, {s * 0.50, s * 0.63}, s * 0.14);
  return image;
}

QIcon ProgramIcon() {
  QIcon icon;
  for (int size : kWindowIconSizes) icon.addPixmap(QPixmap::fromImage(DrawProgramIcon(size)));
  return icon;
}

}  // namespace zephyl
