#include "COutputDeviceMenu.h"

#include "DeviceNames.h"

namespace zephyl {

void COutputDeviceMenu::Build(DeviceMenuHost& host, MidiLibrary& library, int position,
                              std::string_view title, CommandId firstId) {
  Insert(host, position, title, firstId);
  Rebuild(library, firstId);
}

void COutputDeviceMenu::Rebuild(MidiLibrary& library, CommandId firstId) {
  m_nFirstId = firstId;
  std::vector<std::string> names = DeviceNames(library, false);
  m_nMapperId = 0;
  if (auto mapper = library.GetMidiOutDescription(kMapperDevice)) {
    m_nMapperId = firstId + static_cast<CommandId>(names.size());
    names.push_back(std::move(*mapper));
  }
  Fill(std::move(names), m_pPort != nullptr && m_pPort->IsOpen());
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
      Choose(id);
    }
    m_pHost->CheckItem(m_hMenu, id, opened);
  }
  return true;
}

}  // namespace zephyl
