#include "Procreation.h"

namespace zephyl {

void Procreate(CQuensetDoc& doc, RandomSource& random) {
  const std::size_t source = doc.CurrentBank();
  const std::size_t target = (source + 1) % kBankCount;
  doc.ClearBank(target);

  const std::vector<CPatch>& parents = doc.Bank(source);
  const std::size_t n = parents.size();
  const int childrenPerParent = doc.m_childrenPerParent;
  if (n < 2 || childrenPerParent <= 0) return;

  std::vector<CPatch> children;
  children.reserve(n * static_cast<std::size_t>(childrenPerParent));
  for (std::size_t i = 0; i < n; ++i) {
    for (int k = 0; k < childrenPerParent; ++k) {
      std::size_t partner;
      do {
        partner = random.Draw() % n;
      } while (partner == i);
      children.push_back(parents[i].Crossover(parents[partner], doc.m_mutationChance, random));
    }
  }
  doc.AppendPatches(target, std::move(children));
}

}  // namespace zephyl
