#pragma once

#include <jack/ringbuffer.h>
#include <semaphore.h>

#include <array>
#include <atomic>
#include <functional>
#include <span>
#include <thread>

#include "InputFilter.h"
#include "MidiEvent.h"

namespace zephyl {

// The events of one open input on their way from the MIDI system's thread, which feeds the
// bytes it receives, to the thread that runs the rest of the system, which takes the events.
// The ring between them is made once and passed without locks; the feeding side allocates
// nothing, takes no lock and never waits, as it may be JACK's real-time thread. `notify` runs
// on a thread of the queue's own whenever events wait and nobody has been told yet.
class InputQueue final : private MidiEventSink {
 public:
  // About 4 MiB of events, some 3,700 dumps.
  static constexpr std::size_t kRingEvents = (std::size_t{4} << 20) / sizeof(MidiEvent);

  InputQueue(std::size_t maxSysEx, std::function<void()> notify);
  ~InputQueue();
  InputQueue(const InputQueue&) = delete;
  InputQueue& operator=(const InputQueue&) = delete;

  // The system's thread: bytes as they come, then Flush after each batch of them.
  void Feed(std::span<const std::uint8_t> bytes) { m_filter.Feed(bytes, *this); }
  void Flush();

  // The taking thread: the next event, valid until the next call; null when none waits.
  const MidiEvent* Next();

  std::uint64_t Dropped() const { return m_filter.Dropped(); }
  std::uint64_t Oversize() const { return m_filter.Oversize(); }

 private:
  static constexpr std::size_t kBatchEvents = 256;

  bool Push(const MidiEvent& event) override;
  std::size_t ReadBatch();

  InputFilter m_filter;
  jack_ringbuffer_t* m_ring;
  bool m_pushed = false;  // the feeding thread's own
  std::atomic<bool> m_told{false};
  std::atomic<bool> m_stopping{false};
  sem_t m_wake;
  std::function<void()> m_notify;
  std::thread m_notifier;
  std::array<MidiEvent, kBatchEvents> m_batch;
  std::size_t m_batchSize = 0;
  std::size_t m_next = 0;
};

}  // namespace zephyl
