#pragma once

#include <QMainWindow>
#include <cstdint>
#include <functional>
#include <map>
#include <vector>

#include "CQuensetDoc.h"
#include "DocumentFiles.h"
#include "MidiLibrary.h"
#include "ProgressRunner.h"
#include "QtDeviceMenuHost.h"
#include "UserPrompts.h"

class QAction;
class QMenu;

namespace zephyl {

class CQuensetView;

// The window's fixed size, menu bar included: the drawn panel does not scale.
inline constexpr int kFrameWidth = 550;
inline constexpr int kFrameHeight = 300;

// The main window: the menu bar, the keys, the view, the document's file and title.
class CMainFrame : public QMainWindow {
 public:
  CMainFrame(CQuensetDoc& doc, UserPrompts& prompts, MidiLibrary& midi, std::uint32_t seed,
             ProgressTiming timing = {});
  ~CMainFrame() override;

  // Carries out a menu or key command; ids without a handler do nothing.
  void OnCommand(int id);

  CQuensetView& View() { return *m_view; }
  DocumentFiles& Files() { return m_files; }

  // The menu item with this id, device items included, or null.
  QAction* MenuAction(int id) const;
  // The actions that carry the keys.

  // Told of every command carried out, before it runs.
  std::function<void(int id)> onCommand;

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildMenus();
  void BuildKeys();
  void UpdateRecentItems();
  void UpdateReceiveItem();
  void UpdateTitle();
  void CloseIfAsked();

  ProgressRunner m_runner;
  DocumentFiles m_files;
  CQuensetView* m_view = nullptr;
  UserPrompts& m_prompts;
  QtDeviceMenuHost m_deviceMenus;
  std::map<int, QAction*> m_menuActions;
  std::vector<QAction*> m_recentActions;
  QAction* m_recentPlaceholder = nullptr;
  QMenu* m_fileMenu = nullptr;
  bool m_closeAsked = false;
};

}  // namespace zephyl
