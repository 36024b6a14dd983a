#include "SessionRecovery.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QStandardPaths>
#include <algorithm>
#include <vector>

#include "DocumentFiles.h"
#include "FileError.h"
#include "RecoveryFile.h"

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

SessionRecovery::~SessionRecovery() {
  Wait();
}

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

std::optional<std::string> SessionRecovery::Write(std::vector<std::uint8_t> bytes) {
  std::optional<std::string> earlier = Wait();
  if (!m_lock) {
    std::error_code error;
    std::filesystem::create_directories(m_folder, error);
    if (error) return FileError(m_folder, kWriteAction, error.message()).what();
    m_lock = FileLock::TryLock(LockOf(m_file));
    if (!m_lock) return FileError::FromErrno(LockOf(m_file), kWriteAction).what();
  }
  m_pending = std::async(std::launch::async,
                         [file = m_file, bytes = std::move(bytes)]() -> std::optional<std::string> {
                           try {
                             WriteRecoveryFile(file, bytes);
                           } catch (const FileError& e) {
                             return e.what();
                           }
                           return std::nullopt;
                         });
  return earlier;
}

std::optional<std::string> SessionRecovery::Wait() {
  if (!m_pending.valid()) return std::nullopt;
  std::optional<std::string> error = m_pending.get();
  if (!error) m_written = true;
  return error;
}

void SessionRecovery::Remove() {
  Wait();
  if (m_written) {
    std::error_code ignored;
    std::filesystem::remove(m_file, ignored);
    m_written = false;
  }
  if (m_lock) m_lock->RemoveFile();
  m_lock.reset();
}

}  // namespace zephyl
