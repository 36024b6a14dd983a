#include "RenderPanel.h"

#include <QGuiApplication>
#include <QPainter>
#include <iostream>
#include <string>

#include "PanelDrawing.h"
#include "QtPanelSurface.h"

namespace zephyl {

namespace {

// Qt on a machine without a session says so; the panel needs no runtime folder.
void QuietAboutRuntimeFolder(QtMsgType type, const QMessageLogContext& context,
                             const QString& text) {
  if (text.contains("XDG_RUNTIME_DIR")) return;
  std::cerr << qFormatLogMessage(type, context, text).toStdString() << '\n';
}

}  // namespace

void EnsureOffscreenApplication(const char* program) {
  if (QGuiApplication::instance()) return;
  static std::string name = program;
  static char option[] = "-platform";
  static char platform[] = "offscreen";
  static int argc = 3;
  static char* argv[] = {name.data(), option, platform, nullptr};
  const QtMessageHandler previous = qInstallMessageHandler(QuietAboutRuntimeFolder);
  static QGuiApplication app(argc, argv);
  qInstallMessageHandler(previous);
}

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
