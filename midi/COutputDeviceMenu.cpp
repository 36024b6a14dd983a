#include "COutputDeviceMenu.h"

namespace zephyl {

void COutputDeviceMenu::Build(DeviceMenuHost& host, MidiLibrary& library, int position,
                              std::string_view title, CommandId firstId) {
  m_pHost = &host;
  m_hMenu = host.InsertPopup(position, title);
  m_nFirstId = firstId;
  const int devices = std::max(library.GetNumOutDevices(), 0);
  m_nItems = devices;
  AppendDeviceItems(host, m_hMenu, firstId, devices, [&library](int k) {
    return library.GetMidiOutDescription(static_cast<MidiDevice>(k));
  });
  m_nMapperId = 0;
  if (const auto mapper = library.GetMidiOutDescription(kMapperDevice)) {
    m_nMapperId = firstId + devices;
    host.AppendItem(m_hMenu, m_nMapperId, *mapper);
    ++m_nItems;
  }
}

bool COutputDeviceMenu::Select(int n) {
  if (m_pPort == nullptr || m_pHost == nullptr) return false;
  const auto chosen = ChosenItem(n, m_nFirstId, m_nItems);
  if (!chosen) return false;
  for (CommandId id = m_nFirstId; id < m_nFirstId + m_nItems; ++id) {
    bool opened = false;
    if (id == *chosen) {
      m_pPort->Reset();
      m_pPort->Close();
      const auto device =
          id == m_nMapperId ? kMapperDevice : static_cast<MidiDevice>(id - m_nFirstId);
      opened = m_pPort->Open(device, kMenuOpenOptions);
    }
    m_pHost->CheckItem(m_hMenu, id, opened);
  }
  return true;
}

}  // namespace zephyl
