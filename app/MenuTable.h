#pragma once

#include <cstddef>
#include <span>
#include <string_view>

namespace zephyl {

inline constexpr std::size_t kRecentFileCount = 4;

// One entry of a popup: a separator when `id` is 0. `keys` is the key shown beside the text,
// in Qt's portable key notation ("Ctrl+N", "PgUp"); the keys themselves are bound by the
// accelerator table, each once. Grey items are created disabled and stay so, but for those the
// window enables while they can act (Undo, Redo); checkable ones show whether what they switch
// is on.
struct MenuItem {
  std::string_view text;
  int id = 0;
  std::string_view keys;
  bool grey = false;
  bool checkable = false;

  bool IsSeparator() const { return id == 0; }
};

struct MenuPopup {
  std::string_view title;
  std::span<const MenuItem> items;
};

// The menu bar, left to right. The device menus go in before the last popup at run time.
std::span<const MenuPopup> MainMenu();

struct KeyBinding {
  std::string_view key;  // Qt's portable key notation
  int id;
};

// Every key of the editor and the command it carries out.
std::span<const KeyBinding> Accelerators();

}  // namespace zephyl
