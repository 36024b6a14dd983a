#pragma once

#include <jack/jack.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <memory>
#include <thread>

#include "SpawnedProgram.h"

namespace zephyl::test {

// A private JACK server without audio hardware, under a name no other run uses. Clients of
// this process and of the programs it starts find it through JACK_DEFAULT_SERVER.
class JackServer {
 public:
  explicit JackServer(const std::filesystem::path& folder)
      : m_name("zephyl-test-" + std::to_string(getpid()) + "-" + std::to_string(++s_count)) {
    setenv("JACK_DEFAULT_SERVER", m_name.c_str(), 1);
    setenv("JACK_NO_AUDIO_RESERVATION", "1", 1);
    Start(folder);
  }
  ~JackServer() { Stop(); }

  // Empty when the server answers; else why it does not, with its log.
  const std::string& Failure() const { return m_failure; }
  void Restart(const std::filesystem::path& folder) {
    Halt();
    Start(folder);
  }
  void Stop() {
    // A server that dies of a signal (jackd may, of SIGPIPE, as it shuts down) leaves its entry
    // in JACK's table of eight servers; one started and stopped under its name takes it out.
    if (Halt() && Start(m_folder)) Halt();
  }

 private:
  // True when the server did not end by itself.
  bool Halt() {
    if (!m_jackd) return false;
    m_jackd->Signal(SIGTERM);
    const auto status = m_jackd->Wait(std::chrono::seconds(5));
    m_jackd.reset();
    // Clients that outlived the server leave their semaphores; the name is this run's alone.
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator("/dev/shm", ignored)) {
      if (entry.path().filename().string().find("_" + m_name + "_") != std::string::npos)
        std::filesystem::remove(entry.path(), ignored);
    }
    constexpr int kSignalled = 128;
    return !status || *status > kSignalled;
  }

  // True once the server answers.
  bool Start(const std::filesystem::path& folder) {
    m_folder = folder;
    m_failure.clear();
    // Long periods (21 ms): a client slowed by sanitizers that misses one loses what it carried.
    // Past the timeout it is dropped for good, which the default half second does when busy.
    m_jackd = std::make_unique<SpawnedProgram>(
        std::vector<std::string>{"/usr/bin/jackd", "--no-realtime", "-t", "10000", "-p", "64", "-n",
                                 m_name, "-d", "dummy", "-r", "48000", "-p", "1024"},
        folder, "jackd");
    jack_set_error_function([](const char*) {});
    jack_set_info_function([](const char*) {});
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    for (jack_status_t status{};; std::this_thread::sleep_for(std::chrono::milliseconds(20))) {
      const auto options = static_cast<jack_options_t>(JackNoStartServer | JackServerName);
      if (jack_client_t* probe = jack_client_open("probe", options, &status, m_name.c_str())) {
        jack_client_close(probe);
        return true;
      }
      if (m_jackd->Wait(std::chrono::milliseconds(0)) ||
          std::chrono::steady_clock::now() >= deadline) {
        m_failure = "The JACK server " + m_name + " did not start (is jackd installed?):\n" +
                    m_jackd->Out() + m_jackd->Err();
        return false;
      }
    }
  }

  std::string m_name, m_failure;
  std::filesystem::path m_folder;
  std::unique_ptr<SpawnedProgram> m_jackd;
  static inline int s_count = 0;
};

}  // namespace zephyl::test
