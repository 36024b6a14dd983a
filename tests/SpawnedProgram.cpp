#include "SpawnedProgram.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <fstream>
#include <iterator>
#include <thread>

namespace zephyl::test {

namespace {
constexpr auto kPoll = std::chrono::milliseconds(5);
constexpr auto kTermWait = std::chrono::milliseconds(3000);

std::string Slurp(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), {}};
}
}  // namespace

SpawnedProgram::SpawnedProgram(const std::vector<std::string>& command,
                               const std::filesystem::path& folder, const std::string& label)
    : m_out(folder / (label + ".out")), m_err(folder / (label + ".err")) {
  std::vector<char*> argv;
  for (const std::string& arg : command) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  m_pid = fork();
  if (m_pid == 0) {
    const int out = open(m_out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = open(m_err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int none = open("/dev/null", O_RDONLY);
    dup2(none, 0);
    dup2(out, 1);
    dup2(err, 2);
    execv(argv[0], argv.data());
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
                                   bool error) const {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    if ((error ? Err() : Out()).find(text) != std::string::npos) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(kPoll);
  }
}

void SpawnedProgram::Signal(int signal) const {
  if (!m_status) kill(m_pid, signal);
}

std::string SpawnedProgram::Out() const {
  return Slurp(m_out);
}

std::string SpawnedProgram::Err() const {
  return Slurp(m_err);
}

}  // namespace zephyl::test
