#pragma once

#include <cstdint>

namespace zephyl {

// The event record of all MIDI input and output. System Exclusive data travels one byte per
// event: status kSysExStatus with the byte in data1, from the opening 0xF0 to the closing 0xF7.
struct MidiEvent {
  std::uint32_t time = 0;  // never read; sent as zero
  std::uint8_t status = 0;
  std::uint8_t data1 = 0;
  std::uint8_t data2 = 0;
  std::uint8_t data3 = 0;
};
static_assert(sizeof(MidiEvent) == 8);

inline constexpr std::uint8_t kSysExStatus = 0xF0;

}  // namespace zephyl
