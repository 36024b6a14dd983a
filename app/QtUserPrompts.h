#pragma once

#include "UserPrompts.h"

namespace zephyl {

// The filter of every bank-file dialog.
inline constexpr const char* kBankFileFilter =
    "Zephyl Files (*.zpf);;SysEx Files (*.syx);;All Files (*)";

// The user's answers through Qt's message boxes and file dialogs.
class QtUserPrompts final : public UserPrompts {
 public:
  void ShowError(QWidget* parent, const QString& message) override;
  void ShowNotice(QWidget* parent, const QString& message) override;
  QString AskOpenFile(QWidget* parent, const QString& folder) override;
  QString AskSaveFile(QWidget* parent, const QString& suggested) override;
  QString AskFolder(QWidget* parent, const QString& title, const QString& start) override;
  bool EditPreferences(QWidget* parent, Preferences& prefs) override;
  void ShowAbout(QWidget* parent) override;
  bool AskQuitWithoutSaving(QWidget* parent, const QString& message) override;
  bool AskRestore(QWidget* parent, const QString& details) override;
};

}  // namespace zephyl
