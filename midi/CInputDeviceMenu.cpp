#include "CInputDeviceMenu.h"

namespace zephyl {

void CInputDeviceMenu::Build(DeviceMenuHost& host, MidiLibrary& library, int position,
                             std::string_view title, CommandId firstId) {
  m_pHost = &host;
  m_hMenu = host.InsertPopup(position, title);
  m_nFirstId = firstId;
  m_nItems = std::max(library.GetNumInDevices(), 0);
  for (int k = 0; k < m_nItems; ++k) {
    const auto name = library.GetMidiInDescription(static_cast<MidiDevice>(k));
    host.AppendItem(m_hMenu, firstId + k, name.value_or(std::string()));
  }
}

bool CInputDeviceMenu::Select(int n) {
  if (m_pPort == nullptr || m_pHost == nullptr) return false;
  if (n < m_nItems) {
    n += m_nFirstId;
  } else if (n < m_nFirstId || n >= m_nFirstId + m_nItems) {
    return false;
  }
  for (CommandId id = m_nFirstId; id < m_nFirstId + m_nItems; ++id) {
    if (id == n) {
      m_pPort->Stop();
      m_pPort->Close();
      m_pPort->Open(static_cast<MidiDevice>(n - m_nFirstId), kMenuOpenOptions);
      m_pPort->Start();
    }
    // Marked whether or not the device opened.
    m_pHost->CheckItem(m_hMenu, id, id == n);
  }
  return true;
}

}  // namespace zephyl
