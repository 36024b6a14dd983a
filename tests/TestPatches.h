#pragma once

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <vector>

#include "ByteStream.h"
#include "CPatch.h"
#include "CQuensetDoc.h"
#include "RandomSource.h"

namespace zephyl::test {

using Bytes = std::vector<std::uint8_t>;

// A patch whose values are all `value`; its first value marks it in bank listings.
CPatch FilledPatch(std::uint8_t value);
std::vector<CPatch> FilledPatches(std::initializer_list<int> values);
std::vector<int> Marks(const std::vector<CPatch>& bank);

// The program dump of `patch` as the format describes it, written here independently of the
// product: its six header bytes, each value as low nibble then high nibble, and the end byte.
Bytes DumpOf(const CPatch& patch);
// The number of values parameter `p` takes, as the format lists them.
int RangeOf(std::size_t p);

// What one bank holds: its patches' bytes as they stand, its marks and its file.
struct BankSnapshot {
  Bytes dumps;
  BankMarks marks;
  std::filesystem::path file;
  bool operator==(const BankSnapshot&) const = default;
};
std::vector<BankSnapshot> Snapshot(const CQuensetDoc& doc);
Bytes DumpsOf(std::initializer_list<int> values);
Bytes DumpsOf(const std::vector<CPatch>& patches);
Bytes Concat(std::initializer_list<Bytes> parts);
inline Bytes Junk(std::size_t count, std::uint8_t byte = 0x11) {
  return Bytes(count, byte);
}

// Plays back fixed draws, repeating the last one; counts what was drawn.
class ScriptedRandom final : public RandomSource {
 public:
  explicit ScriptedRandom(std::vector<std::uint32_t> draws) : m_draws(std::move(draws)) {}
  std::uint32_t Draw() override { return m_draws[std::min(m_count++, m_draws.size() - 1)]; }
  std::size_t DrawCount() const { return m_count; }

 private:
  std::vector<std::uint32_t> m_draws;
  std::size_t m_count = 0;
};

// A fresh folder for one test, removed afterwards.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
  }
  const std::filesystem::path& Path() const { return m_path; }
  std::filesystem::path operator/(const std::string& name) const { return m_path / name; }

 private:
  std::filesystem::path m_path;
};

void WriteFile(const std::filesystem::path& path, const Bytes& bytes);
Bytes ReadFile(const std::filesystem::path& path);

}  // namespace zephyl::test
