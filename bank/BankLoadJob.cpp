#include "BankLoadJob.h"

#include <algorithm>
#include <limits>

namespace zephyl {

namespace {
// A huge file of junk must not reserve memory in proportion to its size.
constexpr std::uint64_t kMaxReserved = 1 << 20;
}  // namespace

BankLoadJob::BankLoadJob(DumpScanner& scanner) : m_scanner(scanner) {
  // Room for as many dumps as a file could hold, within reason; a stream grows as dumps arrive.
  m_found.reserve(static_cast<std::size_t>(
      std::min<std::uint64_t>(m_scanner.Length().value_or(0) / kDumpSize, kMaxReserved)));
}

bool BankLoadJob::Scan(std::uint64_t bytes) {
  const std::uint64_t position = m_scanner.Position();
  const std::uint64_t until = bytes > std::numeric_limits<std::uint64_t>::max() - position
                                  ? std::numeric_limits<std::uint64_t>::max()
                                  : position + bytes;
  CPatch patch;
  while (!m_done && m_scanner.Position() < until) {
    if (m_scanner.Next(patch)) {
      m_found.push_back(patch);
    } else {
      m_done = true;
    }
  }
  return m_done;
}

LoadResult BankLoadJob::Apply(CQuensetDoc& doc) {
  LoadResult result;
  result.patchesAdded = m_found.size();
  result.bytesSkipped = m_scanner.BytesSkipped();
  doc.AppendPatches(doc.CurrentBank(), std::move(m_found));
  m_found = {};
  return result;
}

}  // namespace zephyl
