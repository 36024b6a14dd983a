#include "TestNote.h"

#include <cstddef>

namespace zephyl {

namespace {

constexpr std::uint8_t kNoteOn = 0x90;
constexpr std::uint8_t kNoteOff = 0x80;
constexpr std::uint8_t kChannelMask = 0x0F;

}  // namespace

ShortMessage TestNote::On(const CQuensetDoc& doc, int slot) {
  // Channels are 1-based; the status byte carries them 0-based.
  m_channel = static_cast<std::uint8_t>((doc.m_slotChannel[static_cast<std::size_t>(slot)] - 1) &
                                        kChannelMask);
  return {static_cast<std::uint8_t>(kNoteOn | m_channel), kKey, kVelocity};
}

ShortMessage TestNote::Off() const {
  return {static_cast<std::uint8_t>(kNoteOff | m_channel), kKey, kVelocity};
}

}  // namespace zephyl
