#pragma once

#include <QString>

#include "Preferences.h"

class QWidget;

namespace zephyl {

// The questions and messages the editor puts to the user: modal dialogs in the program, a
// script in the tests.
class UserPrompts {
 public:
  virtual ~UserPrompts() = default;
  virtual void ShowError(QWidget* parent, const QString& message) = 0;
  // A message that waits for nobody: the window goes on working while it shows.
  virtual void ShowNotice(QWidget* parent, const QString& message) = 0;
  // Each returns an empty string when the user cancels.
  virtual QString AskOpenFile(QWidget* parent, const QString& folder) = 0;
  virtual QString AskSaveFile(QWidget* parent, const QString& suggested) = 0;
  virtual QString AskFolder(QWidget* parent, const QString& title, const QString& start) = 0;
  // True when the user confirmed; `prefs` then holds the new values.
  virtual bool EditPreferences(QWidget* parent, Preferences& prefs) = 0;
  virtual void ShowAbout(QWidget* parent) = 0;
  // `message` names the banks with unsaved changes. True for "Quit Without Saving", false for
  // "Cancel", the default.
  virtual bool AskQuitWithoutSaving(QWidget* parent, const QString& message) = 0;
  // "Restore the banks of the last session?", with `details` below. True for "Restore", the
  // default.
  virtual bool AskRestore(QWidget* parent, const QString& details) = 0;
};

}  // namespace zephyl
