#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "MidiBackend.h"
#include "MidiClock.h"
#include "MidiEvent.h"
#include "Pacing.h"

namespace zephyl {

// The output of one open port. System Exclusive waits in a bounded queue, which refuses when
// full; short messages (test notes, Panic) go in a lane of their own that never refuses and
// goes first, between messages on the wire, never inside a System Exclusive one. A writer
// thread joins the events into messages and hands each to the backend at the pace allowed.
// `ready` is called (to post the output-ready notification) once a refused queue has room
// again and once everything has left. Nothing here blocks the caller.
class OutputWriter {
 public:
  static constexpr std::size_t kQueueEvents = 1024;
  static constexpr std::size_t kLaneEvents = 1024;
  // Longer System Exclusive goes in chunks of this size: a JACK ring takes no more at once.
  static constexpr std::size_t kChunkBytes = 4096;
  // Closing waits this long, at most, for short messages still in the lane to leave, so that
  // a note off sent just before is not lost.
  static constexpr std::chrono::milliseconds kFlushWait{100};
  // How soon a backend that had no room is asked again, when its budget has no period.
  static constexpr std::chrono::milliseconds kRetryWait{1};

  OutputWriter(std::unique_ptr<BackendOutput> out, const Pacing& pacing,
               const BackendBudget& budget, MidiClock& clock, std::function<void()> ready);
  // Sends what the lane holds, within kFlushWait, then stops the writer; returns at once when a
  // send blocks in the backend, which it aborts.
  ~OutputWriter();
  OutputWriter(const OutputWriter&) = delete;
  OutputWriter& operator=(const OutputWriter&) = delete;

  bool Put(const MidiEvent& event);
  // Drops the System Exclusive not yet sent; the lane goes on.
  void Reset();
  // Everything put has left the backend, and a failure lost nothing on the way.
  bool Idle();
  // The device stopped working: output is dropped from then on.
  void Fail();
  BackendOutput& Port() { return *m_out; }

 private:
  struct Message;
  void Run();
  bool NextMessage(Message& message, bool midSysEx);
  void Notify(std::unique_lock<std::mutex>& lock);
  void Flush(std::unique_lock<std::mutex>& lock);

  std::unique_ptr<BackendOutput> m_out;
  Pacing m_pacing;
  BackendBudget m_budget;
  MidiClock& m_clock;
  std::function<void()> m_ready;

  std::mutex m_mutex;
  std::condition_variable m_wake;
  std::deque<MidiEvent> m_queue;
  std::deque<MidiEvent> m_lane;
  bool m_refused = false;
  bool m_busy = false;  // the writer holds a message taken from the queue
  std::uint64_t m_resets = 0;
  bool m_failed = false;
  bool m_lost = false;  // a failure dropped something that had not left: never idle again
  bool m_stopping = false;
  bool m_finished = false;
  std::thread m_writer;
};

}  // namespace zephyl
