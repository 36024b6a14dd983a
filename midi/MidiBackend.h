#pragma once

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "MidiApi.h"
#include "Pacing.h"

namespace zephyl {

class InputQueue;

// One open port of the MIDI system. Destroying it closes it: once the destructor has
// returned, nothing of the port runs any more.
class BackendPort {
 public:
  virtual ~BackendPort() = default;
  // The system's full name of this port of ours ("Zephyl:input").
  virtual std::string Name() const = 0;
  // Why the port stopped working while the system runs (the system dropped it), or empty.
  // Thread-safe.
  virtual std::string Failure() const = 0;
  // True once the port is connected to the system's port it was opened for (at once for a port
  // of our own). A port that appeared a moment ago may not take connections yet: this tries
  // again.
  virtual bool Connect() { return true; }
};

// An output port. Only one thread sends; Pending and Abort may come from any.
class BackendOutput : public BackendPort {
 public:
  enum class Result { Sent, Full, Failed };
  // Hands one message to the system; Full: no room now, offer it again later.
  virtual Result Send(std::span<const std::uint8_t> message) = 0;
  // True while the system has not passed on everything sent yet.
  virtual bool Pending() const = 0;
  // A Send in progress returns at once, and every later one fails.
  virtual void Abort() = 0;
};

// The MIDI system beneath the library: the ports there are now (this process's own among
// them), whether the system still runs, how much output it takes at once, and opening ports.
// Thread-safe.
class MidiBackend {
 public:
  virtual ~MidiBackend() = default;
  // Ports to read from (`input`) or to write to, in the system's order.
  virtual std::vector<std::string> Ports(bool input) = 0;
  // Why the system stopped, or empty while it runs.
  virtual std::string SystemError() const = 0;
  virtual BackendBudget Budget() const = 0;
  // Reads from the port named `port` into `queue`, or, when `own`, opens a port of that name
  // of our own for others to connect to. Throws std::runtime_error naming the port.
  virtual std::unique_ptr<BackendPort> OpenInput(const std::string& port, bool own,
                                                 InputQueue& queue) = 0;
  virtual std::unique_ptr<BackendOutput> OpenOutput(const std::string& port) = 0;
};

// Opens the backend of `api`, or gives null when that system is not there. `changed` is called,
// from any thread, whenever the system's ports may have changed or the system stopped.
using BackendFactory =
    std::function<std::unique_ptr<MidiBackend>(MidiApi api, std::function<void()> changed)>;

// The ALSA sequencer through RtMidi, or JACK; never starts a server.
std::unique_ptr<MidiBackend> OpenSystemBackend(MidiApi api, std::function<void()> changed);

// The client name every port of the process uses.
inline constexpr const char* kMidiClientName = "Zephyl";

}  // namespace zephyl
