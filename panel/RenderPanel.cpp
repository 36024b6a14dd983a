#include "RenderPanel.h"

#include <QPainter>

#include "PanelDrawing.h"
#include "QtPanelSurface.h"

namespace zephyl {

QImage RenderPanel(CPanelEditor& editor, const PanelPictures& pictures, int scale) {
  QImage image(kPanelWidth * scale, kPanelHeight * scale, QImage::Format_RGB32);
  image.fill(QColor(kPanelGrey.r, kPanelGrey.g, kPanelGrey.b));
  QPainter painter(&image);
  painter.scale(scale, scale);
  QtPanelSurface surface(painter);
  DrawPanel(surface, editor, pictures);
  return image;
}

}  // namespace zephyl
