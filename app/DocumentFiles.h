#pragma once

#include <QString>
#include <filesystem>
#include <functional>

#include "CQuensetDoc.h"
#include "ProgressRunner.h"
#include "RecentFileList.h"
#include "UserPrompts.h"

class QWidget;

namespace zephyl {

// The document's file: opening, saving, the recent-file list, exploding. Every failure is a
// message naming the file and the reason, and leaves the banks as they were.
class DocumentFiles {
 public:
  DocumentFiles(CQuensetDoc& doc, UserPrompts& prompts, ProgressRunner& runner, QWidget* window);

  enum class OpenResult { Opened, Cancelled, Failed };
  // A failure has been shown to the user; a cancel leaves the banks as they were.
  OpenResult Open(const std::filesystem::path& path);
  // Each returns true when it did what it was asked, false when it failed or was cancelled.
  bool OpenFile(const std::filesystem::path& path) { return Open(path) == OpenResult::Opened; }
  bool OpenWithDialog();
  bool OpenRecent(std::size_t index);
  // "&Clear Bank": the current bank cleared, the document untitled.
  void New();
  bool Save();
  bool SaveAs();
  // Asks for the folder the first time in a run, then writes there every time it works.
  bool Explode();

  // The document's name: its file's name, or "Untitled".
  QString Title() const;
  const RecentFileList& Recent() const { return m_recent; }

  // After a new or opened document: the view's initial update.
  std::function<void()> onDocumentReplaced;
  // After the name or the recent-file list changed.
  std::function<void()> onNameChanged;

 private:
  bool SaveTo(const std::filesystem::path& path);
  void Remember(const std::filesystem::path& path);
  void StoreRecent() const;
  std::filesystem::path StartFolder() const;

  CQuensetDoc& m_doc;
  UserPrompts& m_prompts;
  ProgressRunner& m_runner;
  QWidget* m_window;
  std::filesystem::path m_path;
  std::filesystem::path m_lastFolder;  // of the last file opened or saved: where dialogs start
  std::filesystem::path m_explodeFolder;
  RecentFileList m_recent;
};

// Paths and the QStrings of the dialogs, both UTF-8 on this platform.
QString ToQString(const std::filesystem::path& path);
std::filesystem::path ToPath(const QString& text);

}  // namespace zephyl
