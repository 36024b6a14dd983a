#include "QtDeviceMenuHost.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <algorithm>

#include "QtText.h"

namespace zephyl {

namespace {

// A device name is no mnemonic: an ampersand in it is shown as it is.
QString Shown(std::string_view text) {
  return FromUtf8(text).replace('&', QStringLiteral("&&"));
}

}  // namespace

QtDeviceMenuHost::QtDeviceMenuHost(QMenuBar& bar, std::function<void(CommandId)> onCommand,
                                   std::function<void()> onShow)
    : m_bar(bar), m_onCommand(std::move(onCommand)), m_onShow(std::move(onShow)) {}

int QtDeviceMenuHost::PopupCount() {
  const QList<QAction*> actions = m_bar.actions();
  return static_cast<int>(
      std::count_if(actions.begin(), actions.end(), [](QAction* a) { return a->menu(); }));
}

MenuHandle QtDeviceMenuHost::InsertPopup(int position, std::string_view title) {
  auto* menu = new QMenu(FromUtf8(title), &m_bar);
  QList<QAction*> popups;
  for (QAction* action : m_bar.actions()) {
    if (action->menu()) popups.push_back(action);
  }
  if (position >= 0 && position < popups.size()) {
    m_bar.insertMenu(popups[position], menu);
  } else {
    m_bar.addMenu(menu);
  }
  QObject::connect(menu, &QMenu::aboutToShow, menu, [this] { m_onShow(); });
  m_menus.push_back(menu);
  return static_cast<MenuHandle>(m_menus.size());
}

void QtDeviceMenuHost::AppendItem(MenuHandle menu, CommandId id, std::string_view text) {
  QAction* item = m_menus.at(static_cast<std::size_t>(menu - 1))->addAction(Shown(text));
  item->setCheckable(true);
  item->setData(id);
  QObject::connect(item, &QAction::triggered, item, [this, id] { m_onCommand(id); });
  m_items[id] = item;
}

void QtDeviceMenuHost::CheckItem(MenuHandle, CommandId id, bool checked) {
  if (QAction* item = Item(id)) item->setChecked(checked);
}

void QtDeviceMenuHost::ClearPopup(MenuHandle menu) {
  QMenu* popup = m_menus.at(static_cast<std::size_t>(menu - 1));
  std::erase_if(m_items,
                [popup](const auto& item) { return popup->actions().contains(item.second); });
  popup->clear();
}

void QtDeviceMenuHost::AppendNote(MenuHandle menu, std::string_view text, bool checked) {
  QAction* note = m_menus.at(static_cast<std::size_t>(menu - 1))->addAction(Shown(text));
  note->setCheckable(checked);
  note->setChecked(checked);
  note->setEnabled(false);
}

QAction* QtDeviceMenuHost::Item(CommandId id) const {
  const auto it = m_items.find(id);
  return it == m_items.end() ? nullptr : it->second;
}

}  // namespace zephyl
