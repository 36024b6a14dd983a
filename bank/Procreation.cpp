#include "Procreation.h"

namespace zephyl {

GenerationRefusal Procreate(CQuensetDoc& doc, RandomSource& random) {
  const std::size_t source = doc.CurrentBank();
  ProcreationJob job(doc.Bank(source), doc.m_childrenPerParent, doc.m_mutationChance, random);
  if (job.Refusal() == GenerationRefusal::TooLarge) return job.Refusal();
  job.Breed(job.Total());
  job.Apply(doc, source);
  return job.Refusal();
}

}  // namespace zephyl
