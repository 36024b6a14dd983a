#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "MidiEvent.h"

namespace zephyl {

// Turns the messages a MIDI backend delivers into events: every byte of System Exclusive one
// event, including the chunks that continue a message the backend split; any other message one
// event. Bytes that belong to no message are dropped.
class InputSplitter {
 public:
  // Replaces `events` with the events of `message`.
  void Split(std::span<const std::uint8_t> message, std::vector<MidiEvent>& events);

 private:
  bool m_inSysEx = false;
};

}  // namespace zephyl
