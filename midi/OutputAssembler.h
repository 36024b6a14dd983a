#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "MidiEvent.h"

namespace zephyl {

// Joins output events into the messages a MIDI backend sends whole: System Exclusive from its
// 0xF0 to its 0xF7, in chunks of at most `maxChunk` bytes where it is longer, and short
// messages of as many bytes as their status says. A short message that comes while System
// Exclusive is being joined goes out at once, before it, so neither is broken; System Exclusive
// that a new one replaces before its end is dropped.
class OutputAssembler {
 public:
  struct Message {
    std::span<const std::uint8_t> bytes;
    bool endsSysEx = false;  // the last chunk of a System Exclusive message
  };

  explicit OutputAssembler(std::size_t maxChunk) : m_maxChunk(maxChunk) {}

  // The message `event` completes, if any; its bytes stay valid until the next call.
  bool Add(const MidiEvent& event, Message& message);
  // Forgets a System Exclusive message in progress, and drops its rest when it comes.
  void Reset() {
    m_sysEx.clear();
    m_inMessage = false;
  }
  bool Pending() const { return !m_sysEx.empty(); }

  // Bytes of a short message with this status.
  static std::size_t ShortLength(std::uint8_t status);

 private:
  std::size_t m_maxChunk;
  std::vector<std::uint8_t> m_sysEx;
  bool m_inMessage = false;  // a start byte came, its end byte has not
  std::vector<std::uint8_t> m_ready;
};

}  // namespace zephyl
