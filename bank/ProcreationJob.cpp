#include "ProcreationJob.h"

#include <algorithm>
#include <cassert>
#include <utility>

namespace zephyl {

GenerationPlan PlanGeneration(std::size_t parents, int childrenPerParent) {
  if (parents < 2 || childrenPerParent <= 0) return {0, GenerationRefusal::NoChildren};
  const std::uint64_t children =
      static_cast<std::uint64_t>(parents) * static_cast<std::uint64_t>(childrenPerParent);
  if (children > kMaxGenerationSize) return {children, GenerationRefusal::TooLarge};
  return {children, GenerationRefusal::None};
}

ProcreationJob::ProcreationJob(std::span<const CPatch> parents, int childrenPerParent,
                               int mutationChance, RandomSource& random)
    : m_plan(PlanGeneration(parents.size(), childrenPerParent)),
      m_parents(parents),
      m_childrenPerParent(childrenPerParent > 0 ? static_cast<std::size_t>(childrenPerParent) : 0),
      m_mutationChance(mutationChance),
      m_random(random),
      m_total(m_plan.refusal == GenerationRefusal::None ? static_cast<std::size_t>(m_plan.children)
                                                        : 0) {
  m_children.reserve(m_total);
}

bool ProcreationJob::Breed(std::size_t count) {
  const std::size_t n = m_parents.size();
  const std::size_t end = m_children.size() + std::min(count, m_total - m_children.size());
  while (m_children.size() < end) {
    const std::size_t i = m_children.size() / m_childrenPerParent;
    std::size_t partner;
    do {
      partner = m_random.Draw() % n;
    } while (partner == i);
    m_children.push_back(m_parents[i].Crossover(m_parents[partner], m_mutationChance, m_random));
  }
  return Done();
}

BankStep ProcreationJob::Apply(CQuensetDoc& doc, std::size_t sourceBank) {
  assert(m_plan.refusal != GenerationRefusal::TooLarge);
  const std::size_t target = (sourceBank + 1) % kBankCount;
  return BankStep::Replace(doc, target, std::exchange(m_children, {}), kProcreateStepName);
}

}  // namespace zephyl
