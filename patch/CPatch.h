#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "CArchive.h"
#include "DumpFormat.h"
#include "RandomSource.h"

namespace zephyl {

using Dump = std::array<std::uint8_t, kDumpSize>;

// One sound program: six header bytes, 66 parameter values and the end byte of its program
// dump, plus the outcome of the last read. A plain value; copying it copies everything.
class CPatch {
 public:
  // Number of values parameter i may take; the same for every patch.
  static constexpr std::array<std::uint8_t, kParameterCount> kRanges = [] {
    std::array<std::uint8_t, kParameterCount> r{};
    r[0] = 121;
    for (std::size_t i = 1; i < kSwitchFirst; ++i) r[i] = 127;
    constexpr std::uint8_t kSwitchRanges[] = {4, 4, 32, 5, 2, 4, 5, 5, 3, 5, 2, 4, 2, 2, 5, 9};
    for (std::size_t i = 0; i < std::size(kSwitchRanges); ++i)
      r[kSwitchFirst + i] = kSwitchRanges[i];
    return r;
  }();
  static constexpr std::array<std::uint8_t, kHeaderSize> kDefaultHeader = {
      kSysExStart, kManufacturerId, kDefaultChannel, kDefaultModelId, 0x00, 0x00};
  static constexpr std::uint8_t kModifyStep = 5;

  static constexpr std::uint8_t Range(std::size_t i) { return kRanges[i]; }

  // The editor's copy: header bytes up to the bank byte, and all values. The program byte, end
  // byte, read outcome and read position stay this patch's own.
  void CopyFrom(const CPatch& other);

  // Storing appends the program dump; loading reads the next complete dump from m_readPos on,
  // leaving the outcome in m_bValid and where reading stopped in m_readPos.
  void Serialize(CArchive& ar);

  Dump ToDump() const;

  bool operator==(const CPatch&) const = default;

  // A child of this patch and `partner`; each parameter but gain mutates with
  // `mutationChance` percent.
  CPatch Crossover(const CPatch& partner, int mutationChance, RandomSource& random) const;
  void Randomize(RandomSource& random);
  void Invert();
  void Modify(int maxStep, RandomSource& random);

  bool m_bValid = false;
  std::uint8_t m_terminator = kSysExEnd;
  std::array<std::uint8_t, kHeaderSize> m_header = kDefaultHeader;
  std::array<std::uint8_t, kParameterCount> m_values{};
  std::uint64_t m_readPos = 0;

 private:
  void Load(CArchive& ar);
};

}  // namespace zephyl
