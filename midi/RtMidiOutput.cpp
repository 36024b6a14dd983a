#include "RtMidiOutput.h"

#include <stdexcept>

#include "OutputAssembler.h"
#include "OutputPacer.h"
#include "RtMidiSupport.h"

namespace zephyl {

namespace {

// How long closing waits for a writer stuck in the backend before leaving it behind.
constexpr std::chrono::seconds kCloseWait{2};
constexpr std::chrono::milliseconds kDrainWait{200};

}  // namespace

// Everything the writer uses; the writer holds it too, so that a writer left behind in a
// backend call that never returns still has what it touches.
struct RtMidiOutput::Shared {
  Shared(MidiBackend& backend, std::unique_ptr<RtMidiOut> out, const Pacing& pacing,
         std::function<void()> ready)
      : backend(backend), out(std::move(out)), pacing(pacing), ready(std::move(ready)) {}

  MidiBackend& backend;
  std::unique_ptr<RtMidiOut> out;
  Pacing pacing;
  std::function<void()> ready;

  std::mutex mutex;
  std::condition_variable wake;
  std::condition_variable exited;
  std::deque<MidiEvent> queue;
  bool refused = false;
  bool stopping = false;
  bool finished = false;
  bool busy = false;         // the writer holds events taken from the queue
  std::uint64_t resets = 0;  // a reset drops what the writer holds, too
  bool failed = false;
  bool lost = false;  // a failure dropped something that had not left: never idle again
  std::chrono::steady_clock::time_point lastSend;
};

RtMidiOutput::RtMidiOutput(MidiBackend& backend, const std::string& port, const Pacing& pacing,
                           std::function<void()> ready) {
  auto out = std::make_unique<RtMidiOut>(backend.RtApi(), kMidiClientName);
  out->setErrorCallback(IgnoreRtMidiError);
  out->openPort(FindRtMidiPort(*out, port), "output");
  if (!out->isPortOpen()) throw std::runtime_error("Cannot open the MIDI port \"" + port + "\"");
  m_shared = std::make_shared<Shared>(backend, std::move(out), pacing, std::move(ready));
  m_writer = std::thread(&RtMidiOutput::Write, m_shared);
}

RtMidiOutput::~RtMidiOutput() {
  std::unique_lock lock(m_shared->mutex);
  m_shared->stopping = true;
  m_shared->wake.notify_all();
  if (m_shared->exited.wait_for(lock, kCloseWait, [this] { return m_shared->finished; })) {
    lock.unlock();
    m_writer.join();
    // What was handed over last may still wait for the server's next periods.
    const auto drained = m_shared->lastSend + 2 * m_shared->backend.Budget().period;
    if (m_shared->backend.SystemError().empty() && !m_shared->failed) {
      std::this_thread::sleep_until(
          std::min(drained, std::chrono::steady_clock::now() + kDrainWait));
    }
    try {
      m_shared->out->closePort();
    } catch (const RtMidiError&) {
    }
    m_shared->out.reset();
  } else {
    // Stuck in the backend (its server went away while its buffer was full): the writer keeps
    // the port, and the process goes on without it.
    lock.unlock();
    m_writer.detach();
  }
}

bool RtMidiOutput::Put(const MidiEvent& event) {
  std::lock_guard lock(m_shared->mutex);
  if (m_shared->failed) {
    m_shared->lost = true;
    return true;  // dropped, so that a send runs to its end
  }
  if (m_shared->queue.size() >= kQueueEvents) {
    m_shared->refused = true;
    return false;
  }
  m_shared->queue.push_back(event);
  // A busy writer looks at the queue again when it is through its batch.
  if (m_shared->queue.size() == 1 && !m_shared->busy) m_shared->wake.notify_one();
  return true;
}

void RtMidiOutput::Reset() {
  std::lock_guard lock(m_shared->mutex);
  m_shared->queue.clear();
  ++m_shared->resets;
  m_shared->wake.notify_one();
}

bool RtMidiOutput::Idle() {
  std::lock_guard lock(m_shared->mutex);
  return m_shared->queue.empty() && !m_shared->busy && !m_shared->lost;
}

void RtMidiOutput::Fail() {
  std::lock_guard lock(m_shared->mutex);
  m_shared->failed = true;
  if (!m_shared->queue.empty() || m_shared->busy) m_shared->lost = true;
  m_shared->queue.clear();
  ++m_shared->resets;
  m_shared->wake.notify_one();
}

void RtMidiOutput::Write(std::shared_ptr<Shared> shared) {
  Shared& s = *shared;
  OutputAssembler assembler(kChunkBytes);
  OutputPacer pacer(s.pacing, s.backend.Budget(), std::chrono::steady_clock::now());
  std::deque<MidiEvent> batch;
  std::unique_lock lock(s.mutex);
  std::uint64_t resets = s.resets;
  for (;;) {
    s.wake.wait(lock, [&] { return s.stopping || !s.queue.empty() || s.resets != resets; });
    if (s.stopping) break;
    if (s.resets != resets) {
      resets = s.resets;
      assembler.Reset();
      continue;
    }
    batch.swap(s.queue);
    s.busy = true;
    if (s.refused) {
      s.refused = false;
      lock.unlock();
      s.ready();
      lock.lock();
    }
    while (!batch.empty() && !s.stopping && s.resets == resets) {
      const MidiEvent event = batch.front();
      batch.pop_front();
      OutputAssembler::Message message;
      if (!assembler.Add(event, message)) continue;
      const auto at = pacer.Earliest(message.bytes.size());
      if (s.wake.wait_until(lock, at, [&] { return s.stopping || s.resets != resets; })) break;
      if (s.failed) {
        s.lost = true;
        continue;
      }
      lock.unlock();
      // RtMidi blocks while the server's ring is full; the pacer keeps it from filling while
      // the server runs, and a stopped server is noticed before the next message.
      bool delivered = s.backend.SystemError().empty();
      if (delivered) {
        try {
          s.out->sendMessage(message.bytes.data(), message.bytes.size());
        } catch (const RtMidiError&) {
          delivered = false;
        }
      }
      lock.lock();
      if (!delivered) s.lost = true;
      s.lastSend = std::chrono::steady_clock::now();
      pacer.Sent(message.bytes.size(), message.endsSysEx, s.lastSend);
    }
    batch.clear();
    s.busy = false;
    // Whoever waits for the last byte to leave hears of it as well.
    if (s.queue.empty()) {
      lock.unlock();
      s.ready();
      lock.lock();
    }
  }
  s.finished = true;
  s.exited.notify_all();
}

}  // namespace zephyl
