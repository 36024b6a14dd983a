#include "SendOnEdit.h"

namespace zephyl {

void SendOnEdit::SetOn(bool on) {
  m_on = on;
  m_waiting = false;
}

void SendOnEdit::Changed(TimePoint now) {
  if (!m_on) return;
  if (!m_lastSent || now >= *m_lastSent + kInterval) {
    Send(now);
  } else {
    m_waiting = true;
  }
}

void SendOnEdit::Finished(TimePoint now) {
  if (m_waiting) Send(now);
}

std::optional<SendOnEdit::TimePoint> SendOnEdit::Due() const {
  if (!m_waiting) return std::nullopt;
  return *m_lastSent + kInterval;
}

void SendOnEdit::Tick(TimePoint now) {
  if (m_waiting && now >= *m_lastSent + kInterval) Send(now);
}

void SendOnEdit::Send(TimePoint now) {
  m_waiting = false;
  m_lastSent = now;
  m_send();
}

}  // namespace zephyl
