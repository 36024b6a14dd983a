#pragma once

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "BankFile.h"

namespace zephyl {

// Loading a bank a slice at a time, so the caller can show progress and give up between
// slices. The dumps found are held apart and reach the document only when applied; a job
// dropped before that leaves every bank as it was.
class BankLoadJob {
 public:
  // `scanner` must outlive the job.
  explicit BankLoadJob(DumpScanner& scanner);

  // Scans on until at least `bytes` more of the source lie behind; true at the end. Reading
  // errors throw, as the source reports them.
  bool Scan(std::uint64_t bytes);
  std::uint64_t Position() const { return m_scanner.Position(); }
  // Unknown for a stream until it has been read to its end.
  std::optional<std::uint64_t> Length() const { return m_scanner.Length(); }

  // Appends what was found to the current bank of `doc`, as LoadBank does.
  LoadResult Apply(CQuensetDoc& doc);
  // What was found, for a caller that appends it itself.
  std::vector<CPatch> TakeFound() { return std::exchange(m_found, {}); }

 private:
  DumpScanner& m_scanner;
  std::vector<CPatch> m_found;
  bool m_done = false;
};

}  // namespace zephyl
