#include "CommandLine.h"

#include <cstdlib>

namespace zephyl {

CommandLine ParseCommandLine(std::span<const std::string_view> args) {
  CommandLine line;
  bool optionsEnded = false;
  for (std::string_view arg : args) {
    if (!optionsEnded && arg == "--") {
      optionsEnded = true;
    } else if (!optionsEnded && (arg == "-h" || arg == "--help")) {
      line.help = true;
    } else if (!optionsEnded && (arg == "-v" || arg == "--version")) {
      line.version = true;
    } else if (!optionsEnded && arg.size() > 1 && arg.front() == '-') {
      line.error = "unknown option " + std::string(arg);
    } else if (line.file) {
      line.error = "only one bank file can be opened at start";
    } else {
      line.file = std::filesystem::path(arg);
    }
  }
  return line;
}

std::string_view CommandLineHelp() {
  return "Usage: zephyl [FILE]\n"
         "The patch editor and generator. FILE is a bank file (.zpf) or any file of program\n"
         "dumps (.syx); its patches are loaded into the first bank.\n"
         "  -h, --help     show this help\n"
         "  -v, --version  show the version\n";
}

bool HasDisplay() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return true;
  }
  return false;
}

}  // namespace zephyl
