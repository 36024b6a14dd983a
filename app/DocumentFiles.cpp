#include "DocumentFiles.h"

#include <QLocale>
#include <exception>
#include <new>

#include "BankInput.h"
#include "BankLoadJob.h"
#include "FileError.h"
#include "Settings.h"
#include "SlicedWork.h"
#include "StandardStream.h"

namespace zephyl {

namespace {

const QString kRecentGroup = QStringLiteral("Recent File List");
const QString kRecentKey = QStringLiteral("File%1");
const QString kUntitled = QStringLiteral("Untitled");

std::filesystem::path Absolute(const std::filesystem::path& path) {
  std::error_code ignored;
  const std::filesystem::path absolute = std::filesystem::absolute(path, ignored);
  return absolute.empty() ? path : absolute;
}

}  // namespace

QString ToQString(const std::filesystem::path& path) {
  return QString::fromStdString(path.string());
}

std::filesystem::path ToPath(const QString& text) {
  return std::filesystem::path(text.toStdString());
}

DocumentFiles::DocumentFiles(CQuensetDoc& doc, UndoHistory& history, UserPrompts& prompts,
                             ProgressRunner& runner, QWidget* window)
    : m_doc(doc), m_history(history), m_prompts(prompts), m_runner(runner), m_window(window) {
  QSettings settings = Settings();
  settings.beginGroup(kRecentGroup);
  std::vector<std::filesystem::path> stored;
  for (std::size_t i = 0; i < kRecentFileCount; ++i) {
    stored.push_back(ToPath(settings.value(kRecentKey.arg(i + 1)).toString()));
  }
  m_recent.Assign(stored);
}

DocumentFiles::OpenResult DocumentFiles::Open(const std::filesystem::path& path) {
  std::vector<CPatch> found;
  try {
    LoadWork work(path, [this] { return m_runner.Pump(); });
    const QString label = QStringLiteral("Opening %1...").arg(ToQString(path.filename()));
    if (!m_runner.Run(m_window, label, work)) return OpenResult::Cancelled;
    found = work.Job().TakeFound();
    if (found.empty()) throw FileError(path, kOpenAction, "it holds no complete program dump");
  } catch (const ReadCancelled&) {
    return OpenResult::Cancelled;
  } catch (const FileError& e) {
    m_prompts.ShowError(m_window, QString::fromStdString(e.what()));
    return OpenResult::Failed;
  } catch (const std::bad_alloc&) {
    const FileError error(path, kOpenAction, "there is not enough memory for its patches");
    m_prompts.ShowError(m_window, QString::fromStdString(error.what()));
    return OpenResult::Failed;
  }
  const std::size_t b = m_doc.CurrentBank();
  // Only a bank that held nothing now holds just what the file holds.
  const bool adopt = m_doc.FilePath(b).empty() && m_doc.IsEmpty(b) && !IsStandardStream(path);
  const std::string name = IsStandardStream(path) ? "standard input" : path.filename().string();
  m_history.Push(BankStep::Append(m_doc, b, std::move(found), "Open " + name,
                                  adopt ? std::optional(Absolute(path)) : std::nullopt));
  if (adopt) m_history.MarkSaved(b);
  Remember(path);
  if (onDocumentReplaced) onDocumentReplaced();
  return OpenResult::Opened;
}

bool DocumentFiles::OpenWithDialog() {
  const QString chosen = m_prompts.AskOpenFile(m_window, ToQString(StartFolder()));
  return !chosen.isEmpty() && OpenFile(ToPath(chosen));
}

bool DocumentFiles::OpenRecent(std::size_t index) {
  if (index >= m_recent.Items().size()) return false;
  const std::filesystem::path path = m_recent.Items()[index];
  const OpenResult result = Open(path);
  if (result != OpenResult::Failed) return result == OpenResult::Opened;
  // An entry that no longer opens goes from the list.
  m_recent.Remove(index);
  StoreRecent();
  if (onNameChanged) onNameChanged();
  return false;
}

bool DocumentFiles::Save() {
  const std::filesystem::path& file = m_doc.FilePath(m_doc.CurrentBank());
  if (file.empty()) return SaveAs();
  return SaveTo(file);
}

bool DocumentFiles::SaveAs() {
  const std::filesystem::path& file = m_doc.FilePath(m_doc.CurrentBank());
  const std::filesystem::path suggested =
      file.empty() ? StartFolder() / (kUntitled.toStdString() + ".zpf") : file;
  const QString chosen = m_prompts.AskSaveFile(m_window, ToQString(suggested));
  return !chosen.isEmpty() && SaveTo(ToPath(chosen));
}

bool DocumentFiles::SaveTo(const std::filesystem::path& path) {
  const std::size_t b = m_doc.CurrentBank();
  try {
    SaveBankFile(m_doc, path);
  } catch (const FileError& e) {
    m_prompts.ShowError(m_window, QString::fromStdString(e.what()));
    return false;
  }
  // Written to standard output, the bank has no file to be saved back to.
  if (!IsStandardStream(path)) {
    m_doc.SetFilePath(b, Absolute(path));
    m_history.MarkSaved(b);
  }
  Remember(path);
  return true;
}

bool DocumentFiles::Explode() {
  if (m_explodeFolder.empty()) {
    const QString chosen = m_prompts.AskFolder(m_window, QStringLiteral("Explode Bank into folder"),
                                               ToQString(StartFolder()));
    if (chosen.isEmpty()) return false;
    m_explodeFolder = ToPath(chosen);
  }
  try {
    ExplodeWork work(m_doc.Bank(m_doc.CurrentBank()), m_explodeFolder, m_doc.m_bExplodeSyx);
    const QString label = QStringLiteral("Exploding %1 patches...")
                              .arg(QLocale().toString(
                                  static_cast<qulonglong>(m_doc.PatchCount(m_doc.CurrentBank()))));
    if (!m_runner.Run(m_window, label, work)) return false;
  } catch (const FileError& e) {
    m_prompts.ShowError(m_window, QString::fromStdString(e.what()));
    // A folder that failed (gone, read-only, full) is asked for again next time.
    m_explodeFolder.clear();
    return false;
  }
  return true;
}

QString DocumentFiles::Title() const {
  const std::filesystem::path& file = m_doc.FilePath(m_doc.CurrentBank());
  return file.empty() ? kUntitled : ToQString(file.filename());
}

void DocumentFiles::Remember(const std::filesystem::path& path) {
  if (IsStandardStream(path)) {
    if (onNameChanged) onNameChanged();
    return;
  }
  m_lastFolder = Absolute(path).parent_path();
  m_recent.Add(path);
  StoreRecent();
  if (onNameChanged) onNameChanged();
}

void DocumentFiles::StoreRecent() const {
  QSettings settings = Settings();
  settings.beginGroup(kRecentGroup);
  for (std::size_t i = 0; i < kRecentFileCount; ++i) {
    const QString key = kRecentKey.arg(i + 1);
    if (i < m_recent.Items().size()) {
      settings.setValue(key, ToQString(m_recent.Items()[i]));
    } else {
      settings.remove(key);
    }
  }
}

std::filesystem::path DocumentFiles::StartFolder() const {
  if (!m_lastFolder.empty()) return m_lastFolder;
  std::error_code ignored;
  return std::filesystem::current_path(ignored);
}

}  // namespace zephyl
