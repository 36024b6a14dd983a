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
  Bytes dump(patch.m_header.begin(), patch.m_header.end());
  for (const std::uint8_t value : patch.m_values) {
    dump.push_back(value & 0x0F);
    dump.push_back(value >> 4);
  }
  dump.push_back(0xF7);
  return dump;
}

int RangeOf(std::size_t p) {
  constexpr int kSwitchRanges[] = {4, 4, 32, 5, 2, 4, 5, 5, 3, 5, 2, 4, 2, 2, 5, 9};
  return p == 0 ? 121 : p < 50 ? 127 : kSwitchRanges[p - 50];
}

std::vector<BankSnapshot> Snapshot(const CQuensetDoc& doc) {
  std::vector<BankSnapshot> banks;
  for (std::size_t b = 0; b < kBankCount; ++b)
    banks.push_back({DumpsOf(doc.Bank(b)), doc.Marks(b), doc.FilePath(b)});
  return banks;
}

Bytes DumpsOf(std::initializer_list<int> values) {
  return DumpsOf(FilledPatches(values));
}

Bytes DumpsOf(const std::vector<CPatch>& patches) {
  Bytes all;
  for (const CPatch& patch : patches) std::ranges::copy(DumpOf(patch), std::back_inserter(all));
  return all;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
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
