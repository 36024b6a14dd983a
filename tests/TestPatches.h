#pragma once

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <vector>

#include "CPatch.h"
#include "RandomSource.h"

namespace zephyl::test {

using Bytes = std::vector<std::uint8_t>;

// A patch whose values are all `value`, or whose value i is i + offset.
CPatch FilledPatch(std::uint8_t value);
CPatch CountingPatch(std::uint8_t offset);

// The program dump of `patch`, with the header bytes the caller chooses.
Bytes DumpOf(const CPatch& patch);
Bytes Concat(std::initializer_list<Bytes> parts);
Bytes Junk(std::size_t count, std::uint8_t byte = 0x11);

// Reads the next dump from `bytes` at `offset`, as loading does.
CPatch ReadAt(const Bytes& bytes, std::uint64_t offset, std::size_t chunkSize = 4096);

// Plays back a fixed list of draws, then fails the test; counts what was drawn.
class ScriptedRandom final : public RandomSource {
 public:
  explicit ScriptedRandom(std::vector<std::uint32_t> draws) : m_draws(std::move(draws)) {}
  std::uint32_t Draw() override;
  std::size_t DrawCount() const { return m_next; }

 private:
  std::vector<std::uint32_t> m_draws;
  std::size_t m_next = 0;
};

// Always draws the same number.
class ConstantRandom final : public RandomSource {
 public:
  explicit ConstantRandom(std::uint32_t value) : m_value(value) {}
  std::uint32_t Draw() override {
    ++m_count;
    return m_value;
  }
  std::size_t DrawCount() const { return m_count; }

 private:
  std::uint32_t m_value;
  std::size_t m_count = 0;
};

// A fresh folder for one test, removed afterwards.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::filesystem::path& Path() const { return m_path; }
  std::filesystem::path operator/(const std::string& name) const { return m_path / name; }

 private:
  std::filesystem::path m_path;
};

void WriteFile(const std::filesystem::path& path, const Bytes& bytes);
Bytes ReadFile(const std::filesystem::path& path);

}  // namespace zephyl::test
