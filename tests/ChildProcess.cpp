#include "ChildProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <thread>

extern char** environ;

namespace zephyl::test {

namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(5);
constexpr auto kKillGrace = std::chrono::seconds(2);
constexpr auto kRunTimeout = std::chrono::seconds(20);

std::vector<std::string> MergedEnvironment(const std::map<std::string, std::string>& env) {
  std::map<std::string, std::string> merged;
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string entry(*e);
    const auto eq = entry.find('=');
    if (eq != std::string::npos) merged[entry.substr(0, eq)] = entry.substr(eq + 1);
  }
  for (const auto& [key, value] : env) {
    if (value.empty()) {
      merged.erase(key);
    } else {
      merged[key] = value;
    }
  }
  std::vector<std::string> out;
  for (const auto& [key, value] : merged) out.push_back(key + "=" + value);
  return out;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
  std::vector<char*> out;
  for (std::string& s : strings) out.push_back(s.data());
  out.push_back(nullptr);
  return out;
}

}  // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& argv,
                           const std::map<std::string, std::string>& env,
                           const std::filesystem::path& output, int extraFd) {
  std::vector<std::string> args = argv;
  std::vector<std::string> envs = MergedEnvironment(env);
  std::vector<char*> argp = Pointers(args);
  std::vector<char*> envp = Pointers(envs);
  const int out = ::open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (out < 0) return;
  m_pid = ::fork();
  if (m_pid == 0) {
    const int null = ::open("/dev/null", O_RDONLY);
    ::dup2(null, 0);
    ::dup2(out, 1);
    ::dup2(out, 2);
    // Xvfb writes its display number to descriptor 3.
    if (extraFd >= 0) ::dup2(extraFd, 3);
    ::execve(argp[0], argp.data(), envp.data());
    ::_exit(127);
  }
  ::close(out);
}

ChildProcess::~ChildProcess() {
  if (Started() && !m_status) Terminate();
}

std::optional<int> ChildProcess::Wait(std::chrono::milliseconds timeout) {
  if (m_status || !Started()) return m_status;
  const auto end = std::chrono::steady_clock::now() + timeout;
  do {
    int status = 0;
    if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
      m_status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      return m_status;
    }
    std::this_thread::sleep_for(kPollInterval);
  } while (std::chrono::steady_clock::now() < end);
  return std::nullopt;
}

void ChildProcess::Terminate() {
  if (!Started() || m_status) return;
  ::kill(m_pid, SIGTERM);
  if (!Wait(std::chrono::duration_cast<std::chrono::milliseconds>(kKillGrace))) {
    ::kill(m_pid, SIGKILL);
    Wait(std::chrono::duration_cast<std::chrono::milliseconds>(kKillGrace));
  }
}

std::optional<std::string> RunAndRead(const std::vector<std::string>& argv,
                                      const std::map<std::string, std::string>& env) {
  char name[] = "/tmp/zephyl-run-XXXXXX";
  const int fd = ::mkstemp(name);
  if (fd < 0) return std::nullopt;
  ::close(fd);
  std::optional<int> status;
  {
    ChildProcess child(argv, env, name);
    status = child.Wait(kRunTimeout);
  }
  std::ifstream in(name);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ::unlink(name);
  if (status != 0) return std::nullopt;
  return text;
}

}  // namespace zephyl::test
