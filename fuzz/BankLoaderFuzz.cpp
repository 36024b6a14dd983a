// Loads arbitrary bytes into a bank that already holds patches, and checks that nothing
// already there is lost, the bank's bookkeeping holds, and saving gives the same bank back.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "BankFile.h"
#include "CQuensetDoc.h"
#include "MemoryByteSource.h"

using namespace zephyl;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  CQuensetDoc doc;
  // The first byte decides what the bank held before: a pasted patch in front of the
  // placeholder, a patch appended behind it, or a bank whose placeholder was edited away.
  const std::uint8_t setup = data[0];
  CPatch mine;
  mine.m_values.fill(setup);
  if (setup & 1) doc.InsertCopyBefore(mine);
  if (setup & 2) doc.AppendNewPatch();
  if (setup & 4) doc.ClearPlaceholder(0);
  const auto before = doc.Bank(0);
  const bool placeholder = doc.IsPlaceholder(0);

  MemoryByteSource source(std::span<const std::uint8_t>(data + 1, size - 1));
  const LoadResult result = LoadBank(doc, source);

  const auto& after = doc.Bank(0);
  const std::size_t removed = (placeholder && result.patchesAdded > 0) ? 1 : 0;
  if (after.size() != before.size() + result.patchesAdded - removed) std::abort();
  // A dump takes 139 bytes, or 138 when it begins at its manufacturer id.
  const std::uint64_t inDumps = size - 1 - result.bytesSkipped;
  if (inDumps > result.patchesAdded * kDumpSize ||
      inDumps < result.patchesAdded * (kDumpSize - 1)) {
    std::abort();
  }
  if (doc.CurrentIndex(0) >= after.size()) std::abort();
  if ((setup & 1) && after.front().m_values != mine.m_values) std::abort();

  MemoryByteSink saved;
  SaveBank(doc, saved);
  CQuensetDoc reloaded;
  MemoryByteSource again(saved.Bytes());
  LoadBank(reloaded, again);
  if (reloaded.PatchCount(0) != after.size()) std::abort();
  for (std::size_t i = 0; i < after.size(); ++i) {
    if (reloaded.PatchAt(0, i).m_values != after[i].m_values) std::abort();
  }
  return 0;
}
