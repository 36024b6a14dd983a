#pragma once

#include <filesystem>
#include <memory>
#include <optional>

#include "BankFile.h"
#include "ReadWatch.h"

namespace zephyl {

// A bank file opened for reading. "-" is standard input, read from where it stands; a regular
// file is read at random; anything else that can be read (a pipe, a FIFO, /dev/stdin, a terminal,
// a device) is read once, front to back, in no more memory than a file needs. Errors throw
// FileError naming the path.
//
// With a `watch`, nothing waits without calling it: not opening a FIFO nobody writes to yet,
// not a stream that stalls, not a long file or an endless device (see ReadWatch).
class BankInput {
 public:
  explicit BankInput(const std::filesystem::path& path, ReadWatch watch = {});
  BankInput(const BankInput&) = delete;
  BankInput& operator=(const BankInput&) = delete;

  DumpScanner& Scanner() { return *m_scanner; }

 private:
  std::unique_ptr<ByteSource> m_file;
  std::unique_ptr<SequentialByteSource> m_stream;
  std::optional<DumpScanner> m_scanner;
};

}  // namespace zephyl
