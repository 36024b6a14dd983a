#include "RtMidiInput.h"

#include <stdexcept>

#include "RtMidiSupport.h"

namespace zephyl {

namespace {
// RtMidi's own queue is unused: messages come through the callback.
constexpr unsigned kRtMidiQueueSize = 1;

}  // namespace

RtMidiInput::RtMidiInput(RtMidi::Api api, const std::string& port, bool own,
                         std::function<void()> notify)
    : m_notify(std::move(notify)) {
  m_in = std::make_unique<RtMidiIn>(api, kMidiClientName, kRtMidiQueueSize);
  m_in->setErrorCallback(IgnoreRtMidiError);
  m_in->ignoreTypes(false, true, true);  // System Exclusive in; clock and sensing out
  m_in->setCallback(&RtMidiInput::OnMessage, this);
  if (own) {
    // RtMidi counts only connections as open ports.
    m_in->openVirtualPort(port);
    return;
  }
  m_in->openPort(FindRtMidiPort(*m_in, port), "input");
  if (!m_in->isPortOpen()) throw std::runtime_error("Cannot open the MIDI port \"" + port + "\"");
}

RtMidiInput::~RtMidiInput() {
  m_running = false;
  // Closing the client waits for its thread, so no callback runs after this.
  try {
    m_in->cancelCallback();
    m_in->closePort();
  } catch (const RtMidiError&) {
  }
  m_in.reset();
}

void RtMidiInput::OnMessage(double, std::vector<unsigned char>* message, void* self) {
  if (message != nullptr) static_cast<RtMidiInput*>(self)->Take(*message);
}

void RtMidiInput::Take(const std::vector<unsigned char>& message) {
  m_splitter.Split(message, m_split);
  if (!m_running || m_split.empty()) return;
  bool notify = false;
  {
    std::lock_guard lock(m_mutex);
    if (m_queue.size() + m_split.size() > kMaxQueuedEvents) {
      ++m_dropped;
      return;
    }
    m_queue.insert(m_queue.end(), m_split.begin(), m_split.end());
    notify = !m_notified;
    m_notified = true;
  }
  if (notify) m_notify();
}

const MidiEvent* RtMidiInput::Next() {
  if (m_next == m_batch.size()) {
    m_batch.clear();
    m_next = 0;
    std::lock_guard lock(m_mutex);
    m_batch.swap(m_queue);
    // Decided under the lock, so that a message queued now posts a new notification.
    if (m_batch.empty()) {
      m_notified = false;
      return nullptr;
    }
  }
  return &m_batch[m_next++];
}

}  // namespace zephyl
