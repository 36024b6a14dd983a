#pragma once

#include <cstdint>
#include <filesystem>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "FileLock.h"

namespace zephyl {

// The recovery files of this editor and of editors that ended without cleaning up, in one
// folder. Each running editor writes its own file and holds a lock beside it, so two editors
// never overwrite each other's, and a file whose lock nobody holds belongs to an editor that
// is gone.
class SessionRecovery {
 public:
  // A recovery file left behind, locked by this editor while it is looked at.
  struct Orphan {
    std::filesystem::path file;
    std::unique_ptr<FileLock> lock;
  };

  // In QStandardPaths::AppDataLocation unless `folder` is given.
  explicit SessionRecovery(std::filesystem::path folder = {});
  ~SessionRecovery();
  SessionRecovery(const SessionRecovery&) = delete;
  SessionRecovery& operator=(const SessionRecovery&) = delete;

  // The newest file left behind, or nothing.
  std::optional<Orphan> TakeOrphan() const;
  static void Remove(Orphan& orphan);
  // Moves an unreadable orphan aside, so that it is offered no more but kept; where it went.
  static std::filesystem::path SetAside(Orphan& orphan);

  // Replaces this editor's recovery file whole with `bytes`, on a thread of its own: flushing to
  // disk takes longer than a window may wait. The reason the file cannot be written, or the
  // write before this one failed.
  std::optional<std::string> Write(std::vector<std::uint8_t> bytes);
  // Waits until the write in progress is done; the reason when it failed.
  std::optional<std::string> Wait();
  // A clean exit: the file goes.
  void Remove();
  // A write has completed.
  bool Written() const { return m_written; }
  const std::filesystem::path& File() const { return m_file; }
  const std::filesystem::path& Folder() const { return m_folder; }

 private:
  std::filesystem::path m_folder;
  std::filesystem::path m_file;
  std::unique_ptr<FileLock> m_lock;
  std::future<std::optional<std::string>> m_pending;
  bool m_written = false;
};

}  // namespace zephyl
