#include "BankLoadJob.h"

namespace zephyl {

bool BankLoadJob::Scan(std::uint64_t bytes) {
  const std::uint64_t until = m_scanner.Position() + bytes;
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
