#include "BankFile.h"

#include <algorithm>

#include "AtomicFileWriter.h"
#include "FileByteSource.h"

namespace zephyl {

namespace {
constexpr std::uint64_t kMaxReserved = 1 << 20;
}

bool DumpScanner::Next(CPatch& patch) {
  while (m_position + kDumpSize <= m_archive.Length()) {
    patch = CPatch{};
    patch.m_readPos = m_position;
    patch.Serialize(m_archive);
    m_position = patch.m_readPos;
    if (patch.m_bValid) {
      // A dump may begin at its manufacturer id, without the start byte in front.
      const std::uint64_t fromId = m_position - (kDumpSize - 1);
      const bool hasStart = fromId > 0 && m_archive.BytesFrom(fromId - 1).front() == kSysExStart;
      m_dumpStart = hasStart ? fromId - 1 : fromId;
      m_dumpBytes += m_position - m_dumpStart;
      return true;
    }
  }
  m_position = m_archive.Length();
  return false;
}

LoadResult LoadBank(CQuensetDoc& doc, ByteSource& source) {
  DumpScanner scanner(source);
  std::vector<CPatch> found;
  // Room for as many dumps as the source could hold, within reason: a huge file of junk must
  // not reserve memory in proportion to its size.
  found.reserve(
      static_cast<std::size_t>(std::min<std::uint64_t>(source.Length() / kDumpSize, kMaxReserved)));
  CPatch patch;
  while (scanner.Next(patch)) found.push_back(patch);

  LoadResult result;
  result.patchesAdded = found.size();
  result.bytesSkipped = scanner.BytesSkipped();
  doc.AppendPatches(doc.CurrentBank(), std::move(found));
  return result;
}

LoadResult LoadBankFile(CQuensetDoc& doc, const std::filesystem::path& path) {
  FileByteSource source(path);
  return LoadBank(doc, source);
}

void SaveBank(const CQuensetDoc& doc, ByteSink& sink) {
  CArchive archive(sink);
  for (const CPatch& patch : doc.Bank(doc.CurrentBank())) archive.Write(patch.ToDump());
}

void SaveBankFile(const CQuensetDoc& doc, const std::filesystem::path& path) {
  AtomicFileWriter file(path);
  SaveBank(doc, file);
  file.Commit();
}

}  // namespace zephyl
