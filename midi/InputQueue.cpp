#include "InputQueue.h"

#include <cerrno>
#include <new>

namespace zephyl {

InputQueue::InputQueue(std::size_t maxSysEx, std::function<void()> notify)
    : m_filter(maxSysEx),
      m_ring(jack_ringbuffer_create(kRingEvents * sizeof(MidiEvent))),
      m_notify(std::move(notify)) {
  if (m_ring == nullptr) throw std::bad_alloc();
  sem_init(&m_wake, 0, 0);
  m_notifier = std::thread([this] {
    for (;;) {
      while (sem_wait(&m_wake) != 0 && errno == EINTR) {
      }
      if (m_stopping) return;
      m_notify();
    }
  });
}

InputQueue::~InputQueue() {
  m_stopping = true;
  sem_post(&m_wake);
  m_notifier.join();
  sem_destroy(&m_wake);
  jack_ringbuffer_free(m_ring);
}

bool InputQueue::Push(const MidiEvent& event) {
  if (jack_ringbuffer_write_space(m_ring) < sizeof event) return false;
  jack_ringbuffer_write(m_ring, reinterpret_cast<const char*>(&event), sizeof event);
  m_pushed = true;
  return true;
}

void InputQueue::Flush() {
  if (!m_pushed) return;
  m_pushed = false;
  // sem_post takes no lock: it may be called from a real-time thread.
  if (!m_told.exchange(true)) sem_post(&m_wake);
}

std::size_t InputQueue::ReadBatch() {
  const std::size_t events =
      std::min(jack_ringbuffer_read_space(m_ring) / sizeof(MidiEvent), kBatchEvents);
  jack_ringbuffer_read(m_ring, reinterpret_cast<char*>(m_batch.data()), events * sizeof(MidiEvent));
  m_batchSize = events;
  m_next = 0;
  return events;
}

const MidiEvent* InputQueue::Next() {
  if (m_next == m_batchSize && ReadBatch() == 0) {
    // Cleared before looking once more, so that events fed meanwhile are either read now or
    // told of again.
    m_told = false;
    if (ReadBatch() == 0) return nullptr;
  }
  return &m_batch[m_next++];
}

}  // namespace zephyl
