#include "OutputWriter.h"

#include <vector>

#include "OutputAssembler.h"
#include "OutputPacer.h"

namespace zephyl {

struct OutputWriter::Message {
  std::vector<std::uint8_t> bytes;
  bool fromLane = false;
  bool endsSysEx = false;
};

OutputWriter::OutputWriter(std::unique_ptr<BackendOutput> out, const Pacing& pacing,
                           const BackendBudget& budget, MidiClock& clock,
                           std::function<void()> ready)
    : m_out(std::move(out)),
      m_pacing(pacing),
      m_budget(budget),
      m_clock(clock),
      m_ready(std::move(ready)),
      m_writer(&OutputWriter::Run, this) {}

OutputWriter::~OutputWriter() {
  std::unique_lock lock(m_mutex);
  m_stopping = true;
  m_wake.notify_all();
  // With nothing in the lane there is nothing to wait for; a backend that blocks is not waited
  // for either way.
  if (!m_lane.empty() && !m_failed) {
    m_clock.WaitUntil(lock, m_wake, m_clock.Now() + kFlushWait, [this] { return m_finished; });
  }
  lock.unlock();
  m_out->Abort();
  m_writer.join();
}

bool OutputWriter::Put(const MidiEvent& event) {
  std::lock_guard lock(m_mutex);
  if (m_failed) {
    m_lost = true;
    return true;  // dropped, so that a send runs to its end
  }
  if (event.status == kSysExStatus) {
    if (m_queue.size() >= kQueueEvents) {
      m_refused = true;
      return false;
    }
    m_queue.push_back(event);
  } else if (m_lane.size() < kLaneEvents) {
    m_lane.push_back(event);
  } else {
    m_lost = true;  // only a device that has taken nothing for a long while gets here
  }
  m_wake.notify_all();
  return true;
}

void OutputWriter::Reset() {
  std::lock_guard lock(m_mutex);
  m_queue.clear();
  ++m_resets;
  m_wake.notify_all();
}

bool OutputWriter::Idle() {
  std::lock_guard lock(m_mutex);
  return m_queue.empty() && m_lane.empty() && !m_busy && !m_lost && !m_out->Pending();
}

void OutputWriter::Fail() {
  std::lock_guard lock(m_mutex);
  m_failed = true;
  if (!m_queue.empty() || !m_lane.empty() || m_busy) m_lost = true;
  m_queue.clear();
  m_lane.clear();
  ++m_resets;
  m_wake.notify_all();
}

void OutputWriter::Notify(std::unique_lock<std::mutex>& lock) {
  lock.unlock();
  m_ready();
  lock.lock();
}

bool OutputWriter::NextMessage(Message& message, bool midSysEx) {
  // A lane message may go before a System Exclusive message, never into the middle of one.
  if (!m_lane.empty() && !midSysEx) {
    const MidiEvent& event = m_lane.front();
    const std::uint8_t bytes[] = {event.status, event.data1, event.data2};
    message.bytes.assign(bytes, bytes + OutputAssembler::ShortLength(event.status));
    message.fromLane = true;
    message.endsSysEx = false;
    return true;
  }
  return false;
}

void OutputWriter::Run() {
  OutputAssembler assembler(kChunkBytes);
  OutputPacer pacer(m_pacing, m_budget, m_clock.Now());
  const auto retry = m_budget.period.count() > 0
                         ? std::chrono::duration_cast<std::chrono::nanoseconds>(m_budget.period)
                         : std::chrono::nanoseconds(kRetryWait);
  Message sysEx;  // the System Exclusive message (or chunk) next in line, once assembled
  bool haveSysEx = false;
  bool midSysEx = false;  // chunks of a message have left, its end has not
  Message note;
  std::unique_lock lock(m_mutex);
  std::uint64_t resets = m_resets;
  auto laneCanGo = [&] { return !m_lane.empty() && !midSysEx; };
  for (;;) {
    m_wake.wait(lock, [&] {
      return m_stopping || m_resets != resets || laneCanGo() || haveSysEx || !m_queue.empty();
    });
    if (m_stopping) break;
    if (m_resets != resets) {
      resets = m_resets;
      assembler.Reset();
      haveSysEx = midSysEx = m_busy = false;
      continue;
    }
    while (!haveSysEx && !m_queue.empty()) {
      const MidiEvent event = m_queue.front();
      m_queue.pop_front();
      m_busy = true;
      OutputAssembler::Message assembled;
      if (assembler.Add(event, assembled)) {
        sysEx.bytes.assign(assembled.bytes.begin(), assembled.bytes.end());
        sysEx.endsSysEx = assembled.endsSysEx;
        haveSysEx = true;
      }
    }
    if (m_refused && m_queue.size() < kQueueEvents) {
      m_refused = false;
      Notify(lock);
      continue;  // the lane may have something by now
    }
    const bool fromLane = NextMessage(note, midSysEx);
    if (!fromLane && !haveSysEx) continue;  // the queue ended within a message
    Message& message = fromLane ? note : sysEx;
    // The lane may overtake a System Exclusive message while that waits for its time.
    const auto interrupted = [&] {
      return m_stopping || m_resets != resets || (!fromLane && laneCanGo());
    };
    if (m_clock.WaitUntil(lock, m_wake, pacer.Earliest(message.bytes.size()), interrupted)) {
      continue;
    }
    lock.unlock();
    const BackendOutput::Result result = m_out->Send(message.bytes);
    lock.lock();
    if (m_resets != resets && !fromLane) continue;  // dropped meanwhile: it left or not
    switch (result) {
      case BackendOutput::Result::Sent:
        pacer.Sent(message.bytes.size(), message.endsSysEx, m_clock.Now());
        if (fromLane) {
          m_lane.pop_front();
        } else {
          haveSysEx = false;
          midSysEx = !message.endsSysEx;
        }
        break;
      case BackendOutput::Result::Full:
        m_clock.WaitUntil(lock, m_wake, m_clock.Now() + retry, interrupted);
        continue;
      case BackendOutput::Result::Failed:
        m_failed = m_lost = true;
        m_queue.clear();
        m_lane.clear();
        assembler.Reset();
        haveSysEx = midSysEx = false;
        break;
    }
    if (m_queue.empty() && m_lane.empty() && !haveSysEx && !assembler.Pending()) {
      m_busy = false;
      // Whoever waits for the last byte to leave hears of it once the backend has passed it on.
      while (m_out->Pending() && !m_stopping && m_queue.empty() && m_lane.empty()) {
        m_clock.WaitUntil(lock, m_wake, m_clock.Now() + retry,
                          [&] { return m_stopping || !m_queue.empty() || !m_lane.empty(); });
      }
      Notify(lock);
    }
  }
  Flush(lock);
  m_finished = true;
  m_wake.notify_all();
}

void OutputWriter::Flush(std::unique_lock<std::mutex>& lock) {
  // What the lane holds goes now, unpaced: a note off must not outlive its port.
  const auto deadline = m_clock.Now() + kFlushWait;
  Message note;
  while (!m_failed && NextMessage(note, false) && m_clock.Now() < deadline) {
    lock.unlock();
    const BackendOutput::Result result = m_out->Send(note.bytes);
    lock.lock();
    if (result == BackendOutput::Result::Failed) return;
    if (result == BackendOutput::Result::Sent) {
      m_lane.pop_front();
    } else {
      m_clock.WaitUntil(lock, m_wake, m_clock.Now() + kRetryWait, [] { return false; });
    }
  }
  while (m_out->Pending() && m_clock.Now() < deadline) {
    m_clock.WaitUntil(lock, m_wake, m_clock.Now() + kRetryWait, [] { return false; });
  }
}

}  // namespace zephyl
