#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "BankStep.h"
#include "CQuensetDoc.h"
#include "RandomSource.h"

namespace zephyl {

// The most children one breeding run makes. A generation is held in memory twice at most (the
// children bred and the bank they replace), so ten million patches stay under two gigabytes.
inline constexpr std::size_t kMaxGenerationSize = 10'000'000;

// What undoing a generation is called.
inline constexpr const char* kProcreateStepName = "Procreate";

// Children bred from `parents` patches with `childrenPerParent` each: none without two parents
// or with no children per parent.
std::uint64_t GenerationSize(std::size_t parents, int childrenPerParent);

// One generation bred a slice at a time, with the draws in exactly the order of one run, so the
// caller can show progress and give up between slices. Nothing in a document changes until the
// children are applied.
class ProcreationJob {
 public:
  // `parents` must stay alive and unchanged while the job runs.
  ProcreationJob(std::span<const CPatch> parents, int childrenPerParent, int mutationChance,
                 RandomSource& random);

  // Breeds up to `count` more children; true once the whole generation is bred.
  bool Breed(std::size_t count);
  bool Done() const { return m_children.size() == m_total; }
  std::size_t Bred() const { return m_children.size(); }
  std::size_t Total() const { return m_total; }

  // The bank after `sourceBank` holds the children bred and nothing else, and no file; the
  // step returned brings back what it held.
  BankStep Apply(CQuensetDoc& doc, std::size_t sourceBank);

 private:
  std::span<const CPatch> m_parents;
  std::size_t m_childrenPerParent;
  int m_mutationChance;
  RandomSource& m_random;
  std::size_t m_total;
  std::vector<CPatch> m_children;
};

}  // namespace zephyl
