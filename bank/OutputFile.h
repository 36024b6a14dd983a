#pragma once

#include <filesystem>
#include <memory>

#include "ByteStream.h"

namespace zephyl {

// A file being saved: nothing is final before Commit(), which throws FileError naming the file
// when any byte could not be written.
class OutputFile : public ByteSink {
 public:
  virtual void Commit() = 0;
};

// Opens `path` for saving. "-" is standard output. Links are followed, however many, to their
// final target: a regular file there is replaced atomically in its own folder, keeping its
// permissions, and a link to nothing creates its target; the links stay. Anything else (a
// FIFO, a terminal, a device) is written directly, as it stands. A folder is an error.
std::unique_ptr<OutputFile> OpenOutputFile(const std::filesystem::path& path);

}  // namespace zephyl
