#include "TestPatches.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <stdexcept>

#include "CArchive.h"
#include "MemoryByteSource.h"

namespace zephyl::test {

CPatch FilledPatch(std::uint8_t value) {
  CPatch patch;
  patch.m_values.fill(value);
  return patch;
}

CPatch CountingPatch(std::uint8_t offset) {
  CPatch patch;
  for (std::size_t i = 0; i < kParameterCount; ++i) {
    patch.m_values[i] = static_cast<std::uint8_t>(i + offset);
  }
  return patch;
}

Bytes DumpOf(const CPatch& patch) {
  const Dump dump = patch.ToDump();
  return Bytes(dump.begin(), dump.end());
}

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

Bytes Junk(std::size_t count, std::uint8_t byte) {
  return Bytes(count, byte);
}

CPatch ReadAt(const Bytes& bytes, std::uint64_t offset, std::size_t chunkSize) {
  MemoryByteSource source(bytes);
  CArchive archive(source, chunkSize);
  CPatch patch;
  patch.m_readPos = offset;
  patch.Serialize(archive);
  return patch;
}

std::uint32_t ScriptedRandom::Draw() {
  if (m_next >= m_draws.size()) {
    ADD_FAILURE() << "more draws than scripted (" << m_draws.size() << ")";
    return 0;
  }
  return m_draws[m_next++];
}

TempFolder::TempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "zephyl-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  m_path = pattern;
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(m_path, ignored);
}

void WriteFile(const std::filesystem::path& path, const Bytes& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  if (!file) throw std::runtime_error("cannot write " + path.string());
}

Bytes ReadFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

}  // namespace zephyl::test
