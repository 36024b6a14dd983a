#pragma once

#include <QString>
#include <filesystem>
#include <functional>

#include "CQuensetDoc.h"
#include "ProgressRunner.h"
#include "RecentFileList.h"
#include "UndoHistory.h"
#include "UserPrompts.h"

class QWidget;

namespace zephyl {

// The banks' files: opening, saving, the recent-file list, exploding. Each bank has a file of
// its own, which Save writes. Every failure is a message naming the file and the reason, and
// leaves the banks as they were.
class DocumentFiles {
 public:
  DocumentFiles(CQuensetDoc& doc, UndoHistory& history, UserPrompts& prompts,
                ProgressRunner& runner, QWidget* window);

  enum class OpenResult { Opened, Cancelled, Failed };
  // Appends the file's dumps to the current bank as one step; a bank with nothing in it and no
  // file takes the file as its own. A file without a complete dump is refused. A failure has
  // been shown to the user; a cancel leaves the banks as they were.
  OpenResult Open(const std::filesystem::path& path);
  // Each returns true when it did what it was asked, false when it failed or was cancelled.
  bool OpenFile(const std::filesystem::path& path) { return Open(path) == OpenResult::Opened; }
  bool OpenWithDialog();
  bool OpenRecent(std::size_t index);
  // The current bank into its own file; a bank without one asks for a name.
  bool Save();
  bool SaveAs();
  // Asks for the folder the first time in a run, then writes there every time it works.
  bool Explode();

  // The current bank's name: its file's name, or "Untitled".
  QString Title() const;
  const RecentFileList& Recent() const { return m_recent; }

  // After an opened file: the view's initial update.
  std::function<void()> onDocumentReplaced;
  // After the name or the recent-file list changed.
  std::function<void()> onNameChanged;

 private:
  bool SaveTo(const std::filesystem::path& path);
  void Remember(const std::filesystem::path& path);
  void StoreRecent() const;
  std::filesystem::path StartFolder() const;

  CQuensetDoc& m_doc;
  UndoHistory& m_history;
  UserPrompts& m_prompts;
  ProgressRunner& m_runner;
  QWidget* m_window;
  std::filesystem::path m_lastFolder;  // of the last file opened or saved: where dialogs start
  std::filesystem::path m_explodeFolder;
  RecentFileList m_recent;
};

// Paths and the QStrings of the dialogs, both UTF-8 on this platform.
QString ToQString(const std::filesystem::path& path);
std::filesystem::path ToPath(const QString& text);

}  // namespace zephyl
