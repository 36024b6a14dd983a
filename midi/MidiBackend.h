#pragma once

#include <RtMidi.h>

#include <memory>
#include <string>
#include <vector>

#include "Pacing.h"

namespace zephyl {

// What the adapter needs to know of the MIDI system beyond RtMidi: the ports there are now
// (this process's own among them), whether the system itself still runs, and how much output it
// takes at once. Thread-safe.
class MidiBackend {
 public:
  virtual ~MidiBackend() = default;
  virtual RtMidi::Api RtApi() const = 0;
  // Ports to read from (`input`) or to write to, in RtMidi's order.
  virtual std::vector<std::string> Ports(bool input) = 0;
  // Why the system stopped, or empty while it runs.
  virtual std::string SystemError() const = 0;
  virtual BackendBudget Budget() const = 0;
};

// The ALSA sequencer when it opens; null otherwise.
std::unique_ptr<MidiBackend> OpenAlsaBackend();
// JACK when a server answers; null otherwise. Never starts a server.
std::unique_ptr<MidiBackend> OpenJackBackend();

// The client name every RtMidi object of the process uses.
inline constexpr const char* kMidiClientName = "Zephyl";

}  // namespace zephyl
