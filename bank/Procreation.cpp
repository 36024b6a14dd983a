#include "Procreation.h"

#include "ProcreationJob.h"

namespace zephyl {

void Procreate(CQuensetDoc& doc, RandomSource& random) {
  const std::size_t source = doc.CurrentBank();
  ProcreationJob job(doc.Bank(source), doc.m_childrenPerParent, doc.m_mutationChance, random);
  job.Breed(job.Total());
  job.Apply(doc, source);
}

}  // namespace zephyl
