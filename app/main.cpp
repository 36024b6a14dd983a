// zephyl: the patch editor and generator, in a window.
#include <QApplication>
#include <iostream>
#include <string_view>
#include <vector>

#include "CAboutDlg.h"
#include "CQuensetApp.h"
#include "CommandLine.h"
#include "QtUserPrompts.h"
#include "ZephylVersion.h"

namespace {

constexpr int kExitFailed = 1;
constexpr int kExitBadUsage = 2;

zephyl::CommandLine Parse(const QStringList& arguments) {
  std::vector<std::string> owned;
  for (qsizetype i = 1; i < arguments.size(); ++i) owned.push_back(arguments[i].toStdString());
  const std::vector<std::string_view> args(owned.begin(), owned.end());
  return zephyl::ParseCommandLine(args);
}

}  // namespace

int main(int argc, char** argv) {
  // Help and version need no display.
  const std::vector<std::string_view> raw(argv + 1, argv + argc);
  const zephyl::CommandLine early = zephyl::ParseCommandLine(raw);
  if (early.help) {
    std::cout << zephyl::CommandLineHelp();
    return 0;
  }
  if (early.version) {
    std::cout << "zephyl " << zephyl::kVersion << '\n';
    return 0;
  }
  if (!zephyl::HasDisplay()) {
    std::cerr << "zephyl: there is no display (DISPLAY and WAYLAND_DISPLAY are not set); "
                 "zephyl-cli does the same work without one\n";
    return kExitFailed;
  }

  QApplication qt(argc, argv);  // takes Qt's own options out of the arguments
  const zephyl::CommandLine line = Parse(QCoreApplication::arguments());
  if (!line.error.empty()) {
    std::cerr << "zephyl: " << line.error << '\n' << zephyl::CommandLineHelp();
    return kExitBadUsage;
  }
  zephyl::QtUserPrompts prompts;
  zephyl::CQuensetApp app(prompts);
  if (!app.InitInstance(line)) return kExitFailed;
  return qt.exec();
}
