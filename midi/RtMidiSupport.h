#pragma once

#include <RtMidi.h>

#include <stdexcept>
#include <string>

namespace zephyl {

// Set as every RtMidi object's error callback: RtMidi then reports failures by its results
// (no port opened, no ports listed) instead of printing them and throwing.
inline void IgnoreRtMidiError(RtMidiError::Type, const std::string&, void*) {}

// The index RtMidi gives the named port now; the list may have changed since it was shown.
inline unsigned FindRtMidiPort(RtMidi& rt, const std::string& name) {
  const unsigned count = rt.getPortCount();
  for (unsigned n = 0; n < count; ++n) {
    if (rt.getPortName(n) == name) return n;
  }
  throw std::runtime_error("The MIDI port \"" + name + "\" is not there any more");
}

}  // namespace zephyl
