#include "Explode.h"

#include <string>

#include "ExplodeJob.h"
#include "OutputFile.h"

namespace zephyl {

std::filesystem::path ExplodeFileName(std::size_t position, bool syx) {
  return "nord" + std::to_string(position) + (syx ? ".syx" : ".zpf");
}

std::filesystem::path ExplodePatch(std::size_t position, const CPatch& patch,
                                   const std::filesystem::path& folder, bool syx) {
  std::filesystem::path path = folder / ExplodeFileName(position, syx);
  const std::unique_ptr<OutputFile> file = OpenOutputFile(path);
  file->Write(patch.ToDump());
  file->Commit();
  return path;
}

std::vector<std::filesystem::path> ExplodeBank(const CQuensetDoc& doc,
                                               const std::filesystem::path& folder) {
  ExplodeJob job(doc.Bank(doc.CurrentBank()), folder, doc.m_bExplodeSyx);
  job.Write(job.Total());
  return job.Files();
}

}  // namespace zephyl
