#include "CMidiInPort.h"

namespace zephyl {

CMidiInPort::~CMidiInPort() {
  Close();
}

bool CMidiInPort::Open(MidiDevice device, std::uint32_t options) {
  if (!m_bOpen) m_hMidi = m_library.OpenMidiIn(*this, device, options);
  if (m_hMidi > kMaxFailedHandle) {
    m_bOpen = true;
    return true;
  }
  m_hMidi = 0;
  return false;
}

void CMidiInPort::Close() {
  if (m_bOpen) {
    Stop();
    m_library.CloseMidiIn(m_hMidi);
  }
  m_bOpen = false;
}

void CMidiInPort::Start() {
  if (!m_bOpen) return;
  m_bRunning = true;
  m_library.StartMidiIn(m_hMidi);
}

void CMidiInPort::Stop() {
  if (!m_bOpen) return;
  m_bRunning = false;
  m_library.StopMidiIn(m_hMidi);
}

std::string CMidiInPort::DeviceError() const {
  return m_bOpen ? m_library.DeviceError(m_hMidi) : std::string();
}

std::uint64_t CMidiInPort::DroppedMessages() const {
  return m_bOpen ? m_library.DroppedMidiIn(m_hMidi) : 0;
}

std::uint64_t CMidiInPort::OversizeMessages() const {
  return m_bOpen ? m_library.OversizeMidiIn(m_hMidi) : 0;
}

void CMidiInPort::OnMidiInData() {
  if (!m_bOpen) return;
  for (const MidiEvent* event = m_library.GetMidiIn(m_hMidi); event != nullptr;
       event = m_library.GetMidiIn(m_hMidi)) {
    OnMidiEvent(*event);
    // A handler may close the port; its queue is gone then.
    if (!m_bOpen) return;
  }
}

}  // namespace zephyl
