#include "TestPatches.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace zephyl::test {

CPatch FilledPatch(std::uint8_t value) {
  CPatch patch;
  patch.m_values.fill(value);
  return patch;
}

std::vector<CPatch> FilledPatches(std::initializer_list<int> values) {
  std::vector<CPatch> patches;
  for (int value : values) patches.push_back(FilledPatch(static_cast<std::uint8_t>(value)));
  return patches;
}

std::vector<int> Marks(const std::vector<CPatch>& bank) {
  std::vector<int> marks;
  for (const CPatch& patch : bank) marks.push_back(patch.m_values[0]);
  return marks;
}

Bytes DumpOf(const CPatch& patch) {
  const Dump dump = patch.ToDump();
  return Bytes(dump.begin(), dump.end());
}

std::vector<BankSnapshot> Snapshot(const CQuensetDoc& doc) {
  std::vector<BankSnapshot> banks;
  for (std::size_t b = 0; b < kBankCount; ++b) {
    BankSnapshot bank{{}, doc.Marks(b), doc.FilePath(b)};
    for (const CPatch& patch : doc.Bank(b)) bank.dumps = Concat({bank.dumps, DumpOf(patch)});
    banks.push_back(bank);
  }
  return banks;
}

Bytes DumpsOf(std::initializer_list<int> values) {
  Bytes all;
  for (const CPatch& patch : FilledPatches(values)) all = Concat({all, DumpOf(patch)});
  return all;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

std::size_t TrickleSource::Read(std::span<std::uint8_t> out) {
  const std::size_t piece = 1 + (m_reads++ * 7919) % m_maxRead;
  const std::size_t count = std::min({out.size(), piece, m_bytes.size() - m_pos});
  std::copy_n(m_bytes.begin() + static_cast<std::ptrdiff_t>(m_pos), count, out.begin());
  m_pos += count;
  return count;
}

TempFolder::TempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "zephyl-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  m_path = pattern;
}

void WriteFile(const std::filesystem::path& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

Bytes ReadFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

}  // namespace zephyl::test
