#include "CInputDeviceMenu.h"

#include "DeviceNames.h"

namespace zephyl {

void CInputDeviceMenu::Build(DeviceMenuHost& host, MidiLibrary& library, int position,
                             std::string_view title, CommandId firstId) {
  Insert(host, position, title, firstId);
  Rebuild(library, firstId);
}

void CInputDeviceMenu::Rebuild(MidiLibrary& library, CommandId firstId) {
  m_nFirstId = firstId;
  Fill(DeviceNames(library, true), true);
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
      Choose(id);
    }
    // Marked whether or not the device opened.
    m_pHost->CheckItem(m_hMenu, id, id == *chosen);
  }
  return true;
}

}  // namespace zephyl
