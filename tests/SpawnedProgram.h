#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace zephyl::test {

// A program the test starts, with its output kept in files; killed when the object goes.
class SpawnedProgram {
 public:
  SpawnedProgram(const std::vector<std::string>& command, const std::filesystem::path& folder,
                 const std::string& label);
  ~SpawnedProgram();
  SpawnedProgram(const SpawnedProgram&) = delete;
  SpawnedProgram& operator=(const SpawnedProgram&) = delete;

  // The exit status once it has ended within `timeout`; nothing if it still runs.
  std::optional<int> Wait(std::chrono::milliseconds timeout);
  // True once its standard output or error holds `text`.
  bool WaitForOutput(const std::string& text, std::chrono::milliseconds timeout,
                     bool error = false) const;
  void Signal(int signal) const;
  std::string Out() const;
  std::string Err() const;
  pid_t Pid() const { return m_pid; }

 private:
  pid_t m_pid = -1;
  std::optional<int> m_status;
  std::filesystem::path m_out;
  std::filesystem::path m_err;
};

}  // namespace zephyl::test
