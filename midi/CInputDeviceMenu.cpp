#include "CInputDeviceMenu.h"

namespace zephyl {

void CInputDeviceMenu::Build(DeviceMenuHost& host, MidiLibrary& library, int position,
                             std::string_view title, CommandId firstId) {
  m_pHost = &host;
  m_hMenu = host.InsertPopup(position, title);
  m_nFirstId = firstId;
  m_nItems = std::max(library.GetNumInDevices(), 0);
  AppendDeviceItems(host, m_hMenu, firstId, m_nItems, [&library](int k) {
    return library.GetMidiInDescription(static_cast<MidiDevice>(k));
  });
}

bool CInputDeviceMenu::Select(int n) {
  if (m_pPort == nullptr || m_pHost == nullptr) return false;
  const auto chosen = ChosenItem(n, m_nFirstId, m_nItems);
  if (!chosen) return false;
  for (CommandId id = m_nFirstId; id < m_nFirstId + m_nItems; ++id) {
    if (id == *chosen) {
      m_pPort->Stop();
      m_pPort->Close();
      m_pPort->Open(static_cast<MidiDevice>(id - m_nFirstId), kMenuOpenOptions);
      m_pPort->Start();
    }
    // Marked whether or not the device opened.
    m_pHost->CheckItem(m_hMenu, id, id == *chosen);
  }
  return true;
}

}  // namespace zephyl
