#include "BankFile.h"

#include <algorithm>
#include <limits>

#include "BankInput.h"
#include "BankLoadJob.h"
#include "OutputFile.h"

namespace zephyl {

bool DumpScanner::Next(CPatch& patch) {
  while (m_archive.HasBytes(m_position, kDumpSize)) {
    patch = CPatch{};
    patch.m_readPos = m_position;
    patch.Serialize(m_archive);
    m_position = patch.m_readPos;
    if (patch.m_bValid) {
      // A dump may begin at its manufacturer id, without the start byte in front. Both are
      // still at hand: the archive keeps one dump's worth of bytes behind.
      const std::uint64_t fromId = m_position - (kDumpSize - 1);
      const auto before =
          fromId > 0 ? m_archive.BytesFrom(fromId - 1) : std::span<const std::uint8_t>{};
      const bool hasStart = !before.empty() && before.front() == kSysExStart;
      m_dumpStart = hasStart ? fromId - 1 : fromId;
      const auto dump = hasStart ? before : m_archive.BytesFrom(fromId);
      std::copy_n(dump.begin(), kHeaderSize, m_header.begin());
      m_dumpBytes += m_position - m_dumpStart;
      return true;
    }
  }
  m_position = m_archive.Length().value_or(m_position);
  return false;
}

LoadResult LoadBank(CQuensetDoc& doc, DumpScanner& scanner) {
  BankLoadJob job(scanner);
  job.Scan(std::numeric_limits<std::uint64_t>::max());
  return job.Apply(doc);
}

LoadResult LoadBank(CQuensetDoc& doc, ByteSource& source) {
  DumpScanner scanner(source);
  return LoadBank(doc, scanner);
}

LoadResult LoadBank(CQuensetDoc& doc, SequentialByteSource& source) {
  DumpScanner scanner(source);
  return LoadBank(doc, scanner);
}

LoadResult LoadBankFile(CQuensetDoc& doc, const std::filesystem::path& path) {
  BankInput input(path);
  return LoadBank(doc, input.Scanner());
}

void SaveBank(const CQuensetDoc& doc, ByteSink& sink) {
  CArchive archive(sink);
  for (const CPatch& patch : doc.Bank(doc.CurrentBank())) archive.Write(patch.ToDump());
}

void SaveBankFile(const CQuensetDoc& doc, const std::filesystem::path& path) {
  const std::unique_ptr<OutputFile> file = OpenOutputFile(path);
  SaveBank(doc, *file);
  file->Commit();
}

}  // namespace zephyl
