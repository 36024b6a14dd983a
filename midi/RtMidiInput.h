#pragma once

#include <RtMidi.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "InputSplitter.h"
#include "MidiBackend.h"
#include "MidiEvent.h"

namespace zephyl {

// One open input. RtMidi's callback, on the backend's thread, splits each message into events
// and queues them; `notify` is called (to post the input notification) when the queue stops
// being empty. The thread that runs the rest of the system drains the queue in batches.
class RtMidiInput {
 public:
  // About 4 MiB of events; whole messages beyond it are dropped and counted.
  static constexpr std::size_t kMaxQueuedEvents = (std::size_t{4} << 20) / sizeof(MidiEvent);

  // Reads from the system's port named `port`, or, when `own`, opens a port of that name of our
  // own for others to connect to. Throws RtMidiError, or std::runtime_error naming the port,
  // when it cannot open.
  RtMidiInput(RtMidi::Api api, const std::string& port, bool own, std::function<void()> notify);
  ~RtMidiInput();
  RtMidiInput(const RtMidiInput&) = delete;
  RtMidiInput& operator=(const RtMidiInput&) = delete;

  void Start() { m_running = true; }
  void Stop() { m_running = false; }
  const MidiEvent* Next();
  std::uint64_t Dropped() const { return m_dropped; }

 private:
  static void OnMessage(double, std::vector<unsigned char>* message, void* self);
  void Take(const std::vector<unsigned char>& message);

  std::function<void()> m_notify;
  std::unique_ptr<RtMidiIn> m_in;
  std::atomic<bool> m_running{false};
  std::atomic<std::uint64_t> m_dropped{0};

  // The backend's thread only.
  InputSplitter m_splitter;
  std::vector<MidiEvent> m_split;

  std::mutex m_mutex;
  std::vector<MidiEvent> m_queue;
  bool m_notified = false;

  // The draining thread only.
  std::vector<MidiEvent> m_batch;
  std::size_t m_next = 0;
};

}  // namespace zephyl
