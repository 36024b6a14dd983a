#include "SessionRecovery.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QStandardPaths>
#include <algorithm>
#include <vector>

#include "AtomicFileWriter.h"
#include "DocumentFiles.h"
#include "FileError.h"

namespace zephyl {

namespace {

constexpr const char* kRecoveryExtension = ".zrec";
constexpr const char* kLockExtension = ".lock";
constexpr const char* kSetAsideExtension = ".unreadable";

std::filesystem::path LockOf(const std::filesystem::path& file) {
  std::filesystem::path lock = file;
  return lock.replace_extension(kLockExtension);
}

}  // namespace

SessionRecovery::SessionRecovery(std::filesystem::path folder) : m_folder(std::move(folder)) {
  if (m_folder.empty()) {
    m_folder = ToPath(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
  }
  // The process and the moment it started: unique among the editors on this machine.
  const std::string name = "session-" + std::to_string(QCoreApplication::applicationPid()) + "-" +
                           std::to_string(QDateTime::currentMSecsSinceEpoch());
  m_file = m_folder / (name + kRecoveryExtension);
}

SessionRecovery::~SessionRecovery() = default;

std::optional<SessionRecovery::Orphan> SessionRecovery::TakeOrphan() const {
  std::error_code error;
  std::vector<std::pair<std::filesystem::file_time_type, std::filesystem::path>> files;
  for (const auto& entry : std::filesystem::directory_iterator(m_folder, error)) {
    const std::filesystem::path& path = entry.path();
    if (path.extension() != kRecoveryExtension || path == m_file) continue;
    files.emplace_back(entry.last_write_time(error), path);
  }
  std::sort(files.rbegin(), files.rend());
  for (const auto& [time, file] : files) {
    // Held by a running editor: that editor's own.
    if (auto lock = FileLock::TryLock(LockOf(file))) return Orphan{file, std::move(lock)};
  }
  return std::nullopt;
}

void SessionRecovery::Remove(Orphan& orphan) {
  std::error_code ignored;
  std::filesystem::remove(orphan.file, ignored);
  orphan.lock->RemoveFile();
  orphan.lock.reset();
}

std::filesystem::path SessionRecovery::SetAside(Orphan& orphan) {
  std::filesystem::path aside = orphan.file;
  aside.replace_extension(kSetAsideExtension);
  std::error_code ignored;
  std::filesystem::rename(orphan.file, aside, ignored);
  orphan.lock->RemoveFile();
  orphan.lock.reset();
  return aside;
}

std::optional<std::string> SessionRecovery::Write(std::span<const std::uint8_t> bytes) {
  try {
    if (!m_lock) {
      std::error_code error;
      std::filesystem::create_directories(m_folder, error);
      if (error) throw FileError(m_folder, kWriteAction, error.message());
      m_lock = FileLock::TryLock(LockOf(m_file));
      if (!m_lock) throw FileError::FromErrno(LockOf(m_file), kWriteAction);
    }
    AtomicFileWriter writer(m_file);
    writer.Write(bytes);
    writer.Commit();
  } catch (const FileError& e) {
    return e.what();
  }
  m_written = true;
  return std::nullopt;
}

void SessionRecovery::Remove() {
  if (m_written) {
    std::error_code ignored;
    std::filesystem::remove(m_file, ignored);
    m_written = false;
  }
  if (m_lock) m_lock->RemoveFile();
  m_lock.reset();
}

}  // namespace zephyl
