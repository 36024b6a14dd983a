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

// Why a generation is not bred.
enum class GenerationRefusal {
  None,
  NoChildren,  // fewer than two parents, or no children per parent
  TooLarge,    // more children than kMaxGenerationSize
};

// A generation as asked for: how many children, and whether it may be bred at all.
struct GenerationPlan {
  std::uint64_t children = 0;
  GenerationRefusal refusal = GenerationRefusal::None;
};

// `parents` patches with `childrenPerParent` children each. A caller that reports a refusal asks
// here first, before it copies or clears anything.
GenerationPlan PlanGeneration(std::size_t parents, int childrenPerParent);

// One generation bred a slice at a time, with the draws in exactly the order of one run, so the
// caller can show progress and give up between slices. Nothing in a document changes until the
// children are applied.
class ProcreationJob {
 public:
  // `parents` must stay alive and unchanged while the job runs. A refused generation is known
  // before anything is drawn or allocated: such a job breeds nothing.
  ProcreationJob(std::span<const CPatch> parents, int childrenPerParent, int mutationChance,
                 RandomSource& random);

  GenerationRefusal Refusal() const { return m_plan.refusal; }

  // Breeds up to `count` more children; true once the whole generation is bred.
  bool Breed(std::size_t count);
  bool Done() const { return m_children.size() == m_total; }
  std::size_t Bred() const { return m_children.size(); }
  std::size_t Total() const { return m_total; }

  // The bank after `sourceBank` holds the children bred and nothing else, and no file; the
  // step returned brings back what it held. A generation too large is never applied.
  BankStep Apply(CQuensetDoc& doc, std::size_t sourceBank);

 private:
  GenerationPlan m_plan;
  std::span<const CPatch> m_parents;
  std::size_t m_childrenPerParent;
  int m_mutationChance;
  RandomSource& m_random;
  std::size_t m_total;
  std::vector<CPatch> m_children;
};

}  // namespace zephyl
