#pragma once

#include <cstdint>
#include <string>

#include "CQuensetDoc.h"
#include "CliCommands.h"
#include "FileError.h"

namespace zephyl::cli {

// The bank commands load into and save from.
inline constexpr std::size_t kWorkBank = 0;

std::string Hex(std::uint8_t byte);
// How messages name a file; "-" is `standardStream`.
std::string Named(const Path& file, const char* standardStream);
std::string NamedInput(const Path& file);
// "1 patch", "2 patches".
std::string Counted(std::uint64_t count, const char* one, const char* many);

// Loads `file` into the current bank of `doc`; false, with the reason on `err`, when it cannot
// be read or holds no complete dump. `standardInput` names "-" in that message.
bool LoadNonEmpty(CQuensetDoc& doc, const Path& file, Console console,
                  const char* standardInput = "standard input");
// True when the bank, as `named`, holds 1-based `patch`; else says it does not, on `err`.
bool HoldsPatch(std::size_t patch, std::size_t count, const std::string& named, Console console);
// Ends the program as a writer whose reader closed the pipe is conventionally ended: quietly,
// by SIGPIPE (status 141 in the shell).
[[noreturn]] void EndForClosedPipe();
// True when standard output is a pipe or socket whose reader has gone.
bool StandardOutputClosed();
// Says `error` on `err`; a reader that went away ends the program quietly instead.
void Report(const FileError& error, Console console);

// Saves the current bank of `doc` and says so on `err`; false, with the reason, when it fails.
bool Save(const CQuensetDoc& doc, const Path& output, Console console);

}  // namespace zephyl::cli
