#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace zephyl::test {

// Variables to set for a program; an empty value takes the variable out.
using Environment = std::map<std::string, std::string>;

// A program the test starts, with its output kept in files (FOLDER/LABEL.out and .err); killed
// when the object goes.
class SpawnedProgram {
 public:
  SpawnedProgram(const std::vector<std::string>& command, const std::filesystem::path& folder,
                 const std::string& label, const Environment& env = {});
  ~SpawnedProgram();
  SpawnedProgram(const SpawnedProgram&) = delete;
  SpawnedProgram& operator=(const SpawnedProgram&) = delete;

  // The exit status once it has ended within `timeout`; nothing if it still runs.
  std::optional<int> Wait(std::chrono::milliseconds timeout);
  // True once its standard output or error holds `text`; false at once when it ends without.
  bool WaitForOutput(const std::string& text, std::chrono::milliseconds timeout,
                     bool error = false);
  void Signal(int signal) const;
  std::string Out() const { return Read(m_out); }
  std::string Err() const { return Read(m_err); }
  bool Started() const { return m_pid > 0; }

 private:
  static std::string Read(const std::filesystem::path& path);

  pid_t m_pid = -1;
  std::optional<int> m_status;
  std::filesystem::path m_out;
  std::filesystem::path m_err;
};

// Runs a program to its end and returns its standard output; nothing when it failed.
std::optional<std::string> RunAndRead(const std::vector<std::string>& command,
                                      const Environment& env = {});

}  // namespace zephyl::test
