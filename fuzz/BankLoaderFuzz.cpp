// Loads arbitrary bytes into a bank that already holds patches, and checks that nothing
// already there is lost, the bank's bookkeeping holds, saving gives the same bank back, and a
// pipe of the same bytes gives the same patches.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "BankFile.h"
#include "CQuensetDoc.h"
#include "MemoryByteSource.h"

using namespace zephyl;

namespace {

// Serves bytes front to back as a pipe does, in reads of 1 to `maxRead` bytes.
class Trickle final : public SequentialByteSource {
 public:
  Trickle(std::span<const std::uint8_t> bytes, std::size_t maxRead)
      : m_bytes(bytes), m_maxRead(maxRead) {}
  std::size_t Read(std::span<std::uint8_t> out) override {
    const std::size_t count =
        std::min({out.size(), 1 + (m_reads++ * 7919) % m_maxRead, m_bytes.size() - m_pos});
    std::copy_n(m_bytes.begin() + static_cast<std::ptrdiff_t>(m_pos), count, out.begin());
    m_pos += count;
    return count;
  }

 private:
  std::span<const std::uint8_t> m_bytes;
  std::size_t m_maxRead;
  std::size_t m_pos = 0;
  std::size_t m_reads = 0;
};

}  // namespace

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

  const std::span<const std::uint8_t> bytes(data + 1, size - 1);
  MemoryByteSource source(bytes);
  const LoadResult result = LoadBank(doc, source);

  // The same bytes through a pipe, in reads of varying size, give the same patches.
  CQuensetDoc piped;
  Trickle pipe(bytes, 1 + setup);
  const LoadResult pipedResult = LoadBank(piped, pipe);
  if (pipedResult.patchesAdded != result.patchesAdded ||
      pipedResult.bytesSkipped != result.bytesSkipped) {
    std::abort();
  }
  const std::size_t found = pipedResult.patchesAdded;
  for (std::size_t i = 0; i < found; ++i) {
    const CPatch& loaded = doc.PatchAt(0, doc.PatchCount(0) - found + i);
    if (piped.PatchAt(0, i).m_values != loaded.m_values) std::abort();
  }

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
