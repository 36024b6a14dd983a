#include "CMidiOutPort.h"

namespace zephyl {

CMidiOutPort::~CMidiOutPort() {
  Close();
}

bool CMidiOutPort::Open(MidiDevice device, std::uint32_t options) {
  if (!m_bOpen) m_hMidi = m_library.OpenMidiOut(*this, device, options);
  if (m_hMidi > kMaxFailedHandle) {
    m_bOpen = true;
    return true;
  }
  m_hMidi = 0;
  return false;
}

void CMidiOutPort::Close() {
  if (m_bOpen) {
    m_library.ResetMidiOut(m_hMidi);
    m_library.CloseMidiOut(m_hMidi);
  }
  m_bOpen = false;
}

void CMidiOutPort::Reset() {
  if (m_bOpen) m_library.ResetMidiOut(m_hMidi);
}

bool CMidiOutPort::Put(const MidiEvent& event) {
  if (!m_bOpen) return true;
  return m_library.PutMidiOut(m_hMidi, event) == 0;
}

bool CMidiOutPort::IsIdle() const {
  return !m_bOpen || m_library.IsMidiOutIdle(m_hMidi);
}

std::string CMidiOutPort::DeviceError() const {
  return m_bOpen ? m_library.DeviceError(m_hMidi) : std::string();
}

}  // namespace zephyl
