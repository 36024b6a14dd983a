#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

#include "BankInput.h"
#include "BankLoadJob.h"
#include "ExplodeJob.h"
#include "ProcreationJob.h"

namespace zephyl {

// Long work cut into short steps, so the window can repaint and offer Cancel between them.
class SlicedWork {
 public:
  virtual ~SlicedWork() = default;
  // Does one step; true when the work is complete.
  virtual bool Step() = 0;
  // How far the work has come, 0 to 1; below 0 while that cannot be told.
  virtual double Fraction() const = 0;
};

// How much of `total` is done, 0 to 1; all of nothing is done.
inline double Ratio(std::uint64_t done, std::uint64_t total) {
  return total == 0 ? 1.0 : static_cast<double>(done) / static_cast<double>(total);
}

// A few milliseconds of scanning or breeding per step.
inline constexpr std::uint64_t kLoadStepBytes = 4 << 20;
inline constexpr std::size_t kBreedStepChildren = 20'000;
// Each file is synced to disk twice: a step of them still takes only milliseconds.
inline constexpr std::size_t kExplodeStepFiles = 16;

// Opens a bank file at its first step and scans it; the reads call `watch`, so that waiting for
// a stream or crossing a long stretch without dumps keeps the window alive.
class LoadWork final : public SlicedWork {
 public:
  LoadWork(std::filesystem::path path, ReadWatch watch)
      : m_path(std::move(path)), m_watch(std::move(watch)) {}
  bool Step() override {
    if (!m_job) m_job.emplace(m_input.emplace(m_path, m_watch).Scanner());
    return m_job->Scan(kLoadStepBytes);
  }
  double Fraction() const override {
    const std::optional<std::uint64_t> length = m_job ? m_job->Length() : std::nullopt;
    if (!length) return -1.0;  // a pipe: its length is known only at its end
    return Ratio(m_job->Position(), *length);
  }
  // Once the work is done.
  BankLoadJob& Job() { return *m_job; }

 private:
  std::filesystem::path m_path;
  ReadWatch m_watch;
  std::optional<BankInput> m_input;
  std::optional<BankLoadJob> m_job;
};

class BreedWork final : public SlicedWork {
 public:
  explicit BreedWork(ProcreationJob& job) : m_job(job) {}
  bool Step() override { return m_job.Breed(kBreedStepChildren); }
  double Fraction() const override { return Ratio(m_job.Bred(), m_job.Total()); }

 private:
  ProcreationJob& m_job;
};

// Explodes a copy of a bank: patches may arrive from MIDI while the files are written.
class ExplodeWork final : public SlicedWork {
 public:
  ExplodeWork(std::vector<CPatch> patches, std::filesystem::path folder, bool syx)
      : m_patches(std::move(patches)), m_job(m_patches, std::move(folder), syx) {}
  bool Step() override { return m_job.Write(kExplodeStepFiles); }
  double Fraction() const override { return Ratio(m_job.Written(), m_job.Total()); }

 private:
  std::vector<CPatch> m_patches;
  ExplodeJob m_job;
};

}  // namespace zephyl
