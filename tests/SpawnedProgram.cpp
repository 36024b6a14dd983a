#include "SpawnedProgram.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <thread>

#include "TestPatches.h"

extern char** environ;

namespace zephyl::test {
namespace {
constexpr auto kPoll = std::chrono::milliseconds(5);
constexpr auto kTermWait = std::chrono::milliseconds(3000);
constexpr auto kRunTimeout = std::chrono::seconds(20);

// The strings as execve takes them; they outlive the pointers.
std::vector<char*> Pointers(std::vector<std::string>& strings) {
  std::vector<char*> out;
  for (std::string& s : strings) out.push_back(s.data());
  out.push_back(nullptr);
  return out;
}
}  // namespace

SpawnedProgram::SpawnedProgram(const std::vector<std::string>& command,
                               const std::filesystem::path& folder, const std::string& label,
                               const Environment& env)
    : m_out(folder / (label + ".out")), m_err(folder / (label + ".err")) {
  std::vector<std::string> args = command, vars;
  // This process's environment with `env` applied, made before the fork: a child of a process
  // with threads may not allocate.
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string entry(*e);
    if (env.count(entry.substr(0, entry.find('='))) == 0) vars.push_back(entry);
  }
  for (const auto& [key, value] : env) {
    if (!value.empty()) vars.push_back(key + "=" + value);
  }
  const std::vector<char*> argv = Pointers(args), envp = Pointers(vars);
  m_pid = fork();
  if (m_pid == 0) {
    const int out = open(m_out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = open(m_err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int none = open("/dev/null", O_RDONLY);
    dup2(none, 0);
    dup2(out, 1);
    dup2(err, 2);
    execve(argv[0], argv.data(), envp.data());
    _exit(127);
  }
}

SpawnedProgram::~SpawnedProgram() {
  if (m_pid <= 0 || m_status) return;
  // A JACK client killed outright leaves the server's shared memory behind.
  kill(m_pid, SIGTERM);
  if (!Wait(kTermWait)) {
    kill(m_pid, SIGKILL);
    waitpid(m_pid, nullptr, 0);
  }
}

std::optional<int> SpawnedProgram::Wait(std::chrono::milliseconds timeout) {
  if (!Started()) return std::nullopt;
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!m_status) {
    int raw = 0;
    if (waitpid(m_pid, &raw, WNOHANG) == m_pid) {
      m_status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
      break;
    }
    if (std::chrono::steady_clock::now() >= deadline) break;
    std::this_thread::sleep_for(kPoll);
  }
  return m_status;
}

bool SpawnedProgram::WaitForOutput(const std::string& text, std::chrono::milliseconds timeout,
                                   bool error) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    const bool ended = Wait(std::chrono::milliseconds(0)).has_value();
    if ((error ? Err() : Out()).find(text) != std::string::npos) return true;
    if (ended || std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(kPoll);
  }
}

void SpawnedProgram::Signal(int signal) const {
  if (!m_status) kill(m_pid, signal);
}

std::string SpawnedProgram::Read(const std::filesystem::path& path) {
  const Bytes bytes = ReadFile(path);
  return {bytes.begin(), bytes.end()};
}

std::optional<std::string> RunAndRead(const std::vector<std::string>& command,
                                      const Environment& env) {
  const TempFolder folder;
  SpawnedProgram program(command, folder.Path(), "run", env);
  if (program.Wait(kRunTimeout) != 0) return std::nullopt;
  return program.Out();
}

}  // namespace zephyl::test
