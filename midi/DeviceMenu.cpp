#include "DeviceMenu.h"

#include "DeviceNames.h"

namespace zephyl {

void DeviceMenu::Insert(DeviceMenuHost& host, int position, std::string_view title,
                        CommandId firstId) {
  m_pHost = &host;
  m_hMenu = host.InsertPopup(position, title);
  m_nFirstId = firstId;
}

std::optional<int> DeviceMenu::Find(const std::string& name) const {
  const auto found = FindPort(m_names, name);
  if (!found) return std::nullopt;
  return static_cast<int>(*found);
}

void DeviceMenu::Fill(std::vector<std::string> names, bool mark) {
  m_pHost->ClearPopup(m_hMenu);
  m_names = std::move(names);
  m_nItems = static_cast<int>(m_names.size());
  for (int k = 0; k < m_nItems; ++k) {
    const std::string& name = m_names[static_cast<std::size_t>(k)];
    m_pHost->AppendItem(m_hMenu, m_nFirstId + k, name);
    if (mark && name == m_chosen) m_pHost->CheckItem(m_hMenu, m_nFirstId + k, true);
  }
  if (m_names.empty()) m_pHost->AppendNote(m_hMenu, kNoPortsText, false);
  if (m_chosen && !Find(*m_chosen)) {
    m_pHost->AppendNote(m_hMenu, *m_chosen + std::string(kMissingSuffix), true);
  }
}

}  // namespace zephyl
