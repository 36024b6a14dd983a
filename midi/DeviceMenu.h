#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "DeviceMenuHost.h"
#include "MidiLibrary.h"

namespace zephyl {

// What the two device menus share: their popup, the names listed, the port chosen by name,
// and whether that port is missing. Part of a menu's list may change while it is not shown:
// Rebuild lists the devices as they are, with the ids and marks of a menu built afresh.
class DeviceMenu {
 public:
  virtual ~DeviceMenu() = default;

  // Acts on the item with command id n, or with index n when n is below the item count. True
  // when n belonged to this menu.
  virtual bool Select(int n) = 0;
  // Lists the devices the library reports now, with ids from `firstId`; a chosen port that is
  // not listed shows as missing, and an empty menu says so.
  virtual void Rebuild(MidiLibrary& library, CommandId firstId) = 0;

  int ItemCount() const { return m_nItems; }
  // The port last chosen, by the user or at start; nothing before the first choice.
  const std::optional<std::string>& Chosen() const { return m_chosen; }
  // The chosen port failed or went away, and has not been reopened since.
  bool Missing() const { return m_missing; }
  void SetMissing(bool missing) { m_missing = missing; }
  // The index of the item of the port named `name`, ALSA's numbers aside.
  std::optional<int> Find(const std::string& name) const;

 protected:
  void Insert(DeviceMenuHost& host, int position, std::string_view title, CommandId firstId);
  // Fills the popup with one item per name; the chosen port's item is marked when `mark`.
  void Fill(std::vector<std::string> names, bool mark);
  // The chosen item is the one with id `id`.
  void Choose(CommandId id) { m_chosen = m_names.at(static_cast<std::size_t>(id - m_nFirstId)); }

  DeviceMenuHost* m_pHost = nullptr;
  MenuHandle m_hMenu = 0;
  int m_nItems = 0;
  CommandId m_nFirstId = 0;

 private:
  std::vector<std::string> m_names;  // item k's
  std::optional<std::string> m_chosen;
  bool m_missing = false;
};

}  // namespace zephyl
