#pragma once

#include <QStringList>
#include <optional>
#include <ostream>

#include "UserPrompts.h"

namespace zephyl::test {

// Answers the editor's questions from a script and records what it asked and said.
class ScriptedPrompts final : public UserPrompts {
 public:
  void ShowError(QWidget*, const QString& message) override { errors << message; }
  void ShowNotice(QWidget*, const QString& message) override { notices << message; }
  QString AskOpenFile(QWidget*, const QString&) override { return openAnswer; }
  QString AskSaveFile(QWidget*, const QString& suggested) override {
    saveSuggestions << suggested;
    return saveAnswer;
  }
  QString AskFolder(QWidget*, const QString&, const QString& start) override {
    folderStarts << start;
    return folderAnswer;
  }
  // The values typed in, then OK or Cancel.
  bool EditPreferences(QWidget*, Preferences& prefs) override {
    prefsShown = prefs;
    if (prefsTyped) prefs = *prefsTyped;
    return prefsOk;
  }
  void ShowAbout(QWidget*) override {}
  bool AskQuitWithoutSaving(QWidget*, const QString&) override { return quitAnswer; }
  bool AskRestore(QWidget*, const QString& details) override {
    restoreQuestions << details;
    return restoreAnswer;
  }

  QString openAnswer, saveAnswer, folderAnswer;
  std::optional<Preferences> prefsTyped, prefsShown;
  bool prefsOk = false;
  bool quitAnswer = false, restoreAnswer = true;
  QStringList errors, notices, saveSuggestions, folderStarts, restoreQuestions;
};

}  // namespace zephyl::test

// Readable QStrings in test failures and their messages.
inline std::ostream& operator<<(std::ostream& out, const QString& text) {
  return out << '"' << text.toStdString() << '"';
}
