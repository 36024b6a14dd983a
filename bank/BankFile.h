#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

#include "ByteStream.h"
#include "CArchive.h"
#include "CQuensetDoc.h"

namespace zephyl {

// Finds the complete program dumps in a source, one after another, as opening a file does. A
// stream gives exactly what a file of the same bytes gives, read once and in bounded memory.
class DumpScanner {
 public:
  explicit DumpScanner(ByteSource& source) : m_archive(source) {}
  explicit DumpScanner(SequentialByteSource& source) : m_archive(source) {}

  // Reads the next complete dump into `patch`; false when the rest holds none. A final stretch
  // shorter than one dump is never scanned.
  bool Next(CPatch& patch);
  // Offset just behind the last dump found, or where scanning stopped.
  std::uint64_t Position() const { return m_position; }
  // Offset of the last dump found: its start byte, or its manufacturer id when it has none.
  std::uint64_t DumpStart() const { return m_dumpStart; }
  // The first bytes of the last dump found as they stand in the source, from DumpStart() on.
  const std::array<std::uint8_t, kHeaderSize>& DumpHeader() const { return m_header; }
  // Bytes of the stream that belong to no dump found so far.
  std::uint64_t BytesSkipped() const { return m_position - m_dumpBytes; }
  // Known from the start for a file, and for a stream once it has been read to its end.
  std::optional<std::uint64_t> Length() const { return m_archive.Length(); }

 private:
  CArchive m_archive;
  std::uint64_t m_position = 0;
  std::uint64_t m_dumpStart = 0;
  std::uint64_t m_dumpBytes = 0;
  std::array<std::uint8_t, kHeaderSize> m_header{};
};

struct LoadResult {
  std::size_t patchesAdded = 0;
  std::uint64_t bytesSkipped = 0;  // bytes that belonged to no complete dump
};

// Appends every complete dump of `source` to the current bank; a placeholder there goes away
// once something was found. All or nothing: when reading fails, the bank is left as it was.
LoadResult LoadBank(CQuensetDoc& doc, ByteSource& source);
LoadResult LoadBank(CQuensetDoc& doc, SequentialByteSource& source);
LoadResult LoadBank(CQuensetDoc& doc, DumpScanner& scanner);
// "-" is standard input; pipes, FIFOs and devices are read as streams (see BankInput).
LoadResult LoadBankFile(CQuensetDoc& doc, const std::filesystem::path& path);

// Writes the program dumps of the current bank, first to last.
void SaveBank(const CQuensetDoc& doc, ByteSink& sink);
// Saves to `path` as OpenOutputFile() says: a regular file, also one reached through links, is
// replaced only once the whole bank is written, and on failure the old file stays.
void SaveBankFile(const CQuensetDoc& doc, const std::filesystem::path& path);

}  // namespace zephyl
