// Draws the program's and the bank files' icons into a hicolor icon tree, for installing.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <array>
#include <cstdlib>
#include <iostream>

#include "ZephylIcon.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "Usage: zephyl-icons OUTPUT_FOLDER\n";
    return 2;
  }
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QGuiApplication app(argc, argv);
  const QDir out(QString::fromLocal8Bit(argv[1]));
  constexpr std::array kSizes = {16, 22, 24, 32, 48, 64, 128, 256};
  for (int size : kSizes) {
    const QString folder = QStringLiteral("hicolor/%1x%1").arg(size);
    const std::pair<QString, QImage> icons[] = {
        {folder + "/apps/zephyl.png", zephyl::DrawProgramIcon(size)},
        {folder + "/mimetypes/application-x-zephyl-bank.png", zephyl::DrawBankFileIcon(size)},
    };
    for (const auto& [name, image] : icons) {
      const QString path = out.filePath(name);
      if (!QDir().mkpath(QFileInfo(path).path()) || !image.save(path)) {
        std::cerr << "zephyl-icons: cannot write " << path.toStdString() << '\n';
        return 1;
      }
    }
  }
  return 0;
}
