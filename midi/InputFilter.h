#pragma once

#include <atomic>
#include <cstdint>
#include <span>

#include "MidiEvent.h"

namespace zephyl {

// Where filtered events go. False: no room now; the event is lost.
class MidiEventSink {
 public:
  virtual bool Push(const MidiEvent& event) = 0;

 protected:
  ~MidiEventSink() = default;
};

// Turns the bytes a MIDI system delivers into events, on the system's own thread: every byte of
// System Exclusive one event, any other message one event; clock and active sensing are
// dropped. It allocates nothing and takes no lock, as it runs on JACK's real-time thread.
//
// A start byte begins a new System Exclusive message wherever it comes, and any other status
// byte but a real-time one ends one. A System Exclusive message that grows longer than
// `maxSysEx` bytes cannot be anything this program takes in: its first `maxSysEx - 1` bytes
// have gone on, the rest is dropped at once and the message counted as oversize. A message
// that finds no room loses its rest and is counted as dropped.
class InputFilter {
 public:
  explicit InputFilter(std::size_t maxSysEx) : m_maxSysEx(maxSysEx) {}

  // `bytes` go on from where the last call stopped: a message may be split over calls.
  void Feed(std::span<const std::uint8_t> bytes, MidiEventSink& sink);

  // Readable from any thread.
  std::uint64_t Dropped() const { return m_dropped.load(std::memory_order_relaxed); }
  std::uint64_t Oversize() const { return m_oversize.load(std::memory_order_relaxed); }

 private:
  enum class State { Idle, SysEx, Skipping, Short };

  void Emit(const MidiEvent& event, MidiEventSink& sink);
  void SysExByte(std::uint8_t byte, MidiEventSink& sink);
  void StatusByte(std::uint8_t status, MidiEventSink& sink);

  std::size_t m_maxSysEx;
  State m_state = State::Idle;
  std::size_t m_sysExBytes = 0;
  MidiEvent m_short;
  std::size_t m_shortNeeded = 0;  // data bytes
  std::size_t m_shortHave = 0;
  std::uint8_t m_runningStatus = 0;
  std::atomic<std::uint64_t> m_dropped{0};
  std::atomic<std::uint64_t> m_oversize{0};
};

}  // namespace zephyl
