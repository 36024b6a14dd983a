#pragma once

#include <functional>
#include <map>
#include <vector>

#include "DeviceMenuHost.h"

class QAction;
class QMenu;
class QMenuBar;

namespace zephyl {

// The device menus' popups in the window's menu bar. Their items are checkable; choosing one
// runs `onCommand` with its id, like any other menu item. `onShow` runs as a popup is about to
// show, so that it can list the ports as they are.
class QtDeviceMenuHost final : public DeviceMenuHost {
 public:
  QtDeviceMenuHost(QMenuBar& bar, std::function<void(CommandId)> onCommand,
                   std::function<void()> onShow);

  int PopupCount() override;
  MenuHandle InsertPopup(int position, std::string_view title) override;
  void AppendItem(MenuHandle menu, CommandId id, std::string_view text) override;
  void CheckItem(MenuHandle menu, CommandId id, bool checked) override;
  void ClearPopup(MenuHandle menu) override;
  void AppendNote(MenuHandle menu, std::string_view text, bool checked) override;

  // The item with this id, or null.
  QAction* Item(CommandId id) const;

 private:
  QMenuBar& m_bar;
  std::function<void(CommandId)> m_onCommand;
  std::function<void()> m_onShow;
  std::vector<QMenu*> m_menus;  // handle h is m_menus[h - 1]
  std::map<CommandId, QAction*> m_items;
};

}  // namespace zephyl
