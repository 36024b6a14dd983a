#include "COutputDeviceMenu.h"

namespace zephyl {

void COutputDeviceMenu::Build(DeviceMenuHost& host, MidiLibrary& library, int position,
                              std::string_view title, CommandId firstId) {
  m_pHost = &host;
  m_hMenu = host.InsertPopup(position, title);
  m_nFirstId = firstId;
  const int devices = std::max(library.GetNumOutDevices(), 0);
  m_nItems = devices;
  for (int k = 0; k < devices; ++k) {
    const auto name = library.GetMidiOutDescription(static_cast<MidiDevice>(k));
    host.AppendItem(m_hMenu, firstId + k, name.value_or(std::string()));
  }
  m_nMapperId = 0;
  if (const auto mapper = library.GetMidiOutDescription(kMapperDevice)) {
    m_nMapperId = firstId + devices;
    host.AppendItem(m_hMenu, m_nMapperId, *mapper);
    ++m_nItems;
  }
}

bool COutputDeviceMenu::Select(int n) {
  if (m_pPort == nullptr || m_pHost == nullptr) return false;
  if (n < m_nItems) {
    n += m_nFirstId;
  } else if (n < m_nFirstId || n >= m_nFirstId + m_nItems) {
    return false;
  }
  for (CommandId id = m_nFirstId; id < m_nFirstId + m_nItems; ++id) {
    bool opened = false;
    if (id == n) {
      m_pPort->Reset();
      m_pPort->Close();
      const auto device =
          n == m_nMapperId ? kMapperDevice : static_cast<MidiDevice>(n - m_nFirstId);
      opened = m_pPort->Open(device, kMenuOpenOptions);
    }
    m_pHost->CheckItem(m_hMenu, id, opened);
  }
  return true;
}

}  // namespace zephyl
