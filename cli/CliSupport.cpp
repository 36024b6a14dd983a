#include "CliSupport.h"

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
    console.err << error.what() << '\n';
    return false;
  }
  console.err << "Wrote " << Counted(doc.PatchCount(doc.CurrentBank()), "patch", "patches")
              << " to " << Named(output, "standard output") << '\n';
  return true;
}

}  // namespace zephyl::cli
