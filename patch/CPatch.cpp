#include "CPatch.h"

#include <algorithm>
#include <cstring>

namespace zephyl {

namespace {

// Position within a candidate dump of its first value byte, its last, and its end byte.
constexpr std::uint32_t kFirstValueCount = kHeaderSize;
constexpr std::uint32_t kLastValueCount = kDumpSize - 2;
constexpr std::uint32_t kEndCount = kDumpSize - 1;
// Any count past the end byte behaves the same, so counting stops there.
constexpr std::uint32_t kPastEndCount = kDumpSize;
constexpr std::uint32_t kPercent = 100;

}  // namespace

void CPatch::CopyFrom(const CPatch& other) {
  if (&other == this) return;
  std::copy_n(other.m_header.begin(), kProgramByte, m_header.begin());
  m_values = other.m_values;
}

void CPatch::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    m_bValid = true;
    const Dump dump = ToDump();
    ar.Write(dump);
  } else {
    Load(ar);
  }
}

Dump CPatch::ToDump() const {
  Dump dump{};
  std::copy(m_header.begin(), m_header.end(), dump.begin());
  for (std::size_t k = 0; k < kParameterCount; ++k) {
    dump[kHeaderSize + 2 * k] = m_values[k] & 0x0F;
    dump[kHeaderSize + 2 * k + 1] = m_values[k] >> 4;
  }
  dump[kDumpSize - 1] = m_terminator;
  return dump;
}

// Scans byte by byte for the next complete dump. A candidate begins at a manufacturer id seen
// outside a candidate and restarts at every start byte, so junk, foreign messages and truncated
// dumps are skipped. Header bytes past the id are consumed unchecked and the nibbles unmasked:
// files written by other tools rely on being read this leniently.
void CPatch::Load(CArchive& ar) {
  m_bValid = false;
  std::uint32_t count = 0;
  const auto complete = [this](std::size_t consumed) {
    m_terminator = kSysExEnd;
    m_readPos += consumed;
    m_bValid = true;
  };
  while (true) {
    // None at the end: the read failed there, or, when it began behind the end, where it began.
    const auto bytes = ar.BytesFrom(m_readPos);
    if (bytes.empty()) return;
    const std::size_t n = bytes.size();
    const std::uint8_t* data = bytes.data();
    std::size_t i = 0;
    while (i < n) {
      if (count == 0) {
        // Outside a candidate nothing but the manufacturer id matters.
        const void* hit = std::memchr(data + i, kManufacturerId, n - i);
        if (hit == nullptr) {
          i = n;
          break;
        }
        i = static_cast<std::size_t>(static_cast<const std::uint8_t*>(hit) - data) + 1;
        count = 1;
        continue;
      }
      if (count == 1 && n - i >= kEndCount - 1 &&
          std::memchr(data + i, kSysExStart, kEndCount - 1) == nullptr) {
        // The whole candidate is buffered and nothing restarts it: decode it in one go.
        // data[i - 1] is the manufacturer id, at count 1.
        const std::uint8_t* values = data + i + (kFirstValueCount - 2);
        for (std::size_t k = 0; k < kParameterCount; ++k) {
          m_values[k] = static_cast<std::uint8_t>(values[2 * k] + (values[2 * k + 1] << 4));
        }
        i += kEndCount - 1;
        if (data[i - 1] == kSysExEnd) return complete(i);
        count = kPastEndCount;
        continue;
      }
      const std::uint8_t b = data[i++];
      if (count < kPastEndCount) ++count;
      if (b == kSysExStart) {
        count = 0;
      } else if (count == kEndCount && b == kSysExEnd) {
        return complete(i);
      } else if (count >= kFirstValueCount && count <= kLastValueCount) {
        const std::size_t k = (count - kFirstValueCount) / 2;
        if ((count - kFirstValueCount) % 2 == 0) {
          m_values[k] = b;
        } else {
          m_values[k] = static_cast<std::uint8_t>(m_values[k] + (b << 4));
        }
      }
    }
    m_readPos += i;
  }
}

CPatch CPatch::Crossover(const CPatch& partner, int mutationChance, RandomSource& random) const {
  CPatch child;
  for (std::size_t i = 0; i < kParameterCount; ++i) {
    const std::uint32_t parentDraw = random.Draw();
    const std::uint32_t mutationDraw = random.Draw();
    if (static_cast<int>(mutationDraw % kPercent) < mutationChance && i != kGainParameter) {
      child.m_values[i] = static_cast<std::uint8_t>(random.Draw() % kRanges[i]);
    } else {
      // A mask rather than a branch: the parent choice is a coin toss no predictor can learn.
      const auto mine = static_cast<std::uint8_t>(0 - (parentDraw & 1));
      child.m_values[i] =
          static_cast<std::uint8_t>((m_values[i] & mine) | (partner.m_values[i] & ~mine));
    }
  }
  return child;
}

void CPatch::Randomize(RandomSource& random) {
  for (std::size_t i = 0; i < kParameterCount; ++i) {
    m_values[i] = static_cast<std::uint8_t>(random.Draw() % kRanges[i]);
  }
}

void CPatch::Invert() {
  for (std::size_t i = 0; i < kParameterCount; ++i) {
    m_values[i] = static_cast<std::uint8_t>(kRanges[i] - 1 - m_values[i]);
  }
}

void CPatch::Modify(int maxStep, RandomSource& random) {
  const auto steps = static_cast<std::uint32_t>(std::max(maxStep, 1));
  for (std::size_t i = 0; i < kParameterCount; ++i) {
    const bool up = random.Draw() & 1;
    const int step = static_cast<int>(random.Draw() % steps);
    const int top = kRanges[i] - 1;
    const int value = m_values[i];
    m_values[i] =
        static_cast<std::uint8_t>(up ? std::min(value + step, top) : std::max(value - step, 0));
  }
}

}  // namespace zephyl
