#include "CliSupport.h"

#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <ostream>

#include "BankFile.h"
#include "FileError.h"
#include "StandardStream.h"

namespace zephyl::cli {

std::string Hex(std::uint8_t byte) {
  constexpr char kDigits[] = "0123456789ABCDEF";
  return {kDigits[byte >> 4], kDigits[byte & 0x0F]};
}

std::string Named(const Path& file, const char* standardStream) {
  return IsStandardStream(file) ? standardStream : '"' + file.string() + '"';
}

std::string NamedInput(const Path& file) {
  return Named(file, "standard input");
}

std::string Counted(std::uint64_t count, const char* one, const char* many) {
  return std::to_string(count) + ' ' + (count == 1 ? one : many);
}

void EndForClosedPipe() {
  std::signal(SIGPIPE, SIG_DFL);
  std::raise(SIGPIPE);
  std::_Exit(128 + SIGPIPE);  // should the signal be blocked
}

bool StandardOutputClosed() {
  struct stat info {};
  if (::fstat(STDOUT_FILENO, &info) != 0 || !(S_ISFIFO(info.st_mode) || S_ISSOCK(info.st_mode))) {
    return false;
  }
  pollfd out{STDOUT_FILENO, POLLOUT, 0};
  return ::poll(&out, 1, 0) == 1 && (out.revents & (POLLERR | POLLHUP)) != 0;
}

void Report(const FileError& error, Console console) {
  if (error.Code() == EPIPE) EndForClosedPipe();
  console.err << error.what() << '\n';
}

bool LoadNonEmpty(CQuensetDoc& doc, const Path& file, Console console, const char* standardInput) {
  try {
    if (LoadBankFile(doc, file).patchesAdded > 0) return true;
    console.err << Named(file, standardInput) << " holds no complete program dump\n";
  } catch (const FileError& error) {
    console.err << error.what() << '\n';
  }
  return false;
}

bool HoldsPatch(std::size_t patch, std::size_t count, const std::string& named, Console console) {
  if (patch >= 1 && patch <= count) return true;
  console.err << "There is no patch " << patch << ": " << named << " holds " << count << '\n';
  return false;
}

bool Save(const CQuensetDoc& doc, const Path& output, Console console) {
  try {
    SaveBankFile(doc, output);
  } catch (const FileError& error) {
    Report(error, console);
    return false;
  }
  console.err << "Wrote " << Counted(doc.PatchCount(doc.CurrentBank()), "patch", "patches")
              << " to " << Named(output, "standard output") << '\n';
  return true;
}

}  // namespace zephyl::cli
