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

}  // namespace

QString ToQString(const std::filesystem::path& path) {
  return QString::fromStdString(path.string());
}

std::filesystem::path ToPath(const QString& text) {
  return std::filesystem::path(text.toStdString());
}

DocumentFiles::DocumentFiles(CQuensetDoc& doc, UserPrompts& prompts, ProgressRunner& runner,
                             QWidget* window)
    : m_doc(doc), m_prompts(prompts), m_runner(runner), m_window(window) {
  QSettings settings = Settings();
  settings.beginGroup(kRecentGroup);
  std::vector<std::filesystem::path> stored;
  for (std::size_t i = 0; i < kRecentFileCount; ++i) {
    stored.push_back(ToPath(settings.value(kRecentKey.arg(i + 1)).toString()));
  }
  m_recent.Assign(stored);
}

DocumentFiles::OpenResult DocumentFiles::Open(const std::filesystem::path& path) {
  try {
    LoadWork work(path, [this] { return m_runner.Pump(); });
    const QString label = QStringLiteral("Opening %1...").arg(ToQString(path.filename()));
    if (!m_runner.Run(m_window, label, work)) return OpenResult::Cancelled;
    work.Job().Apply(m_doc);
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

void DocumentFiles::New() {
  m_doc.OnNewDocument();
  m_path.clear();
  if (onNameChanged) onNameChanged();
  if (onDocumentReplaced) onDocumentReplaced();
}

bool DocumentFiles::Save() {
  if (m_path.empty()) return SaveAs();
  return SaveTo(m_path);
}

bool DocumentFiles::SaveAs() {
  const std::filesystem::path suggested =
      m_path.empty() ? StartFolder() / (kUntitled.toStdString() + ".zpf") : m_path;
  const QString chosen = m_prompts.AskSaveFile(m_window, ToQString(suggested));
  return !chosen.isEmpty() && SaveTo(ToPath(chosen));
}

bool DocumentFiles::SaveTo(const std::filesystem::path& path) {
  try {
    SaveBankFile(m_doc, path);
  } catch (const FileError& e) {
    m_prompts.ShowError(m_window, QString::fromStdString(e.what()));
    return false;
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
  return m_path.empty() ? kUntitled : ToQString(m_path.filename());
}

void DocumentFiles::Remember(const std::filesystem::path& path) {
  if (IsStandardStream(path)) {
    // Read from standard input: there is no file to save back to.
    m_path.clear();
    if (onNameChanged) onNameChanged();
    return;
  }
  std::error_code ignored;
  const std::filesystem::path absolute = std::filesystem::absolute(path, ignored);
  m_path = absolute.empty() ? path : absolute;
  m_lastFolder = m_path.parent_path();
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
