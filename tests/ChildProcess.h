#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace zephyl::test {

// A program the end-to-end tests start, with its own environment and its output in files.
// An empty value in `env` takes the variable out. Destroying it kills a process still running.
class ChildProcess {
 public:
  ChildProcess(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env,
               const std::filesystem::path& output, int extraFd = -1);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // The exit status, once it has ended within `timeout`.
  std::optional<int> Wait(std::chrono::milliseconds timeout);
  void Terminate();
  pid_t Pid() const { return m_pid; }
  bool Started() const { return m_pid > 0; }

 private:
  pid_t m_pid = -1;
  std::optional<int> m_status;
};

// Runs a program to its end and returns what it printed; nullopt when it failed.
std::optional<std::string> RunAndRead(const std::vector<std::string>& argv,
                                      const std::map<std::string, std::string>& env);

}  // namespace zephyl::test
