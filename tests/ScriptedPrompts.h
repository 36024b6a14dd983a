#pragma once

#include <QStringList>
#include <optional>
#include <ostream>

#include "UserPrompts.h"

namespace zephyl::test {

// Answers the editor's questions from a script and records its messages.
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
  bool EditPreferences(QWidget*, Preferences& prefs) override {
    if (!prefsAnswer) return false;
    prefs = *prefsAnswer;
    return true;
  }
  void ShowAbout(QWidget*) override { ++aboutShown; }

  QString openAnswer, saveAnswer, folderAnswer;
  std::optional<Preferences> prefsAnswer;
  QStringList errors, notices, saveSuggestions, folderStarts;
  int aboutShown = 0;
};

}  // namespace zephyl::test

// Readable QStrings in test failures.
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}
