#include "ExplodeJob.h"

#include "Explode.h"

namespace zephyl {

bool ExplodeJob::Write(std::size_t count) {
  for (std::size_t n = 0; n < count && Written() < Total(); ++n) {
    const std::size_t next = Total() - 1 - Written();
    m_files.push_back(ExplodePatch(next, m_patches[next], m_folder, m_syx));
  }
  return Written() == Total();
}

}  // namespace zephyl
