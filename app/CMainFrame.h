#pragma once

#include <QMainWindow>
#include <QTimer>
#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "CQuensetDoc.h"
#include "DocumentFiles.h"
#include "MenuTable.h"
#include "MidiLibrary.h"
#include "ProgressRunner.h"
#include "QtDeviceMenuHost.h"
#include "SessionRecovery.h"
#include "UndoHistory.h"
#include "UserPrompts.h"

class QAction;
class QMenu;

namespace zephyl {

class CQuensetView;

// The window's fixed size, menu bar included: the drawn panel does not scale.
inline constexpr int kFrameWidth = 550;
inline constexpr int kFrameHeight = 300;

// After a change, the recovery file is brought up to date within this time.
inline constexpr std::chrono::milliseconds kRecoveryDelay{2000};

// The main window: the menu bar, the keys, the view, the banks' files, the title, the undo
// history and the recovery file.
class CMainFrame : public QMainWindow {
 public:
  CMainFrame(CQuensetDoc& doc, UserPrompts& prompts, MidiLibrary& midi, std::uint32_t seed,
             ProgressTiming timing = {});
  ~CMainFrame() override;

  // Carries out a menu or key command; ids without a handler do nothing.
  void OnCommand(int id);

  CQuensetView& View() { return *m_view; }
  DocumentFiles& Files() { return m_files; }
  UndoHistory& History() { return m_history; }
  SessionRecovery& Recovery() { return m_recovery; }

  // At start: offers to restore the banks of an editor that ended without cleaning up.
  void OfferRecovery();
  // Brings the recovery file up to date now: written while a bank has unsaved changes,
  // removed otherwise.
  void UpdateRecovery();

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
  // The title, the undo items and the recovery file follow the banks.
  void Refresh();
  void UpdateUndoItems();
  void CloseIfAsked();
  // Once: unsaved banks are then not safe from a crash.
  void ReportRecoveryError(const std::optional<std::string>& error);
  using Signature = std::array<std::uint64_t, kBankCount + 2>;
  Signature RecoverySignature() const;

  CQuensetDoc& m_doc;
  UndoHistory m_history;
  ProgressRunner m_runner;
  DocumentFiles m_files;
  CQuensetView* m_view = nullptr;
  UserPrompts& m_prompts;
  QtDeviceMenuHost m_deviceMenus;
  std::map<int, QAction*> m_menuActions;
  std::map<int, MenuItem> m_menuItems;
  std::vector<QAction*> m_recentActions;
  QAction* m_recentPlaceholder = nullptr;
  QMenu* m_fileMenu = nullptr;
  bool m_closeAsked = false;
  SessionRecovery m_recovery;
  QTimer m_recoveryTimer;
  Signature m_recoverySignature{};
  bool m_recoveryErrorShown = false;
};

}  // namespace zephyl
