#pragma once

#include <RtMidi.h>

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "MidiBackend.h"
#include "MidiEvent.h"
#include "Pacing.h"

namespace zephyl {

// One open output. Put queues events and refuses when the queue is full; a writer thread
// joins them into messages and hands each to RtMidi at the pace allowed, and calls `ready` (to
// post the output-ready notification) once a refused queue has room again and whenever it has
// handed everything over. Nothing here ever blocks the caller.
class RtMidiOutput {
 public:
  static constexpr std::size_t kQueueEvents = 1024;
  // Longer System Exclusive goes in chunks of this size: RtMidi drops a single JACK message
  // longer than about 16 KB without a word.
  static constexpr std::size_t kChunkBytes = 4096;

  // Throws RtMidiError, or std::runtime_error naming the port, when it cannot open.
  RtMidiOutput(MidiBackend& backend, const std::string& port, const Pacing& pacing,
               std::function<void()> ready);
  // Stops the writer; never hangs, even when the backend does.
  ~RtMidiOutput();
  RtMidiOutput(const RtMidiOutput&) = delete;
  RtMidiOutput& operator=(const RtMidiOutput&) = delete;

  bool Put(const MidiEvent& event);
  void Reset();
  bool Idle();
  // The device stopped working: output is dropped from then on.
  void Fail();

 private:
  struct Shared;
  static void Write(std::shared_ptr<Shared> shared);

  std::shared_ptr<Shared> m_shared;
  std::thread m_writer;
};

}  // namespace zephyl
