#include "JackServer.h"

#include <jack/jack.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <thread>

namespace zephyl::test {

namespace {
constexpr auto kStartTimeout = std::chrono::seconds(10);
constexpr auto kStopTimeout = std::chrono::seconds(5);
constexpr auto kPoll = std::chrono::milliseconds(20);
// Long periods (21 ms) give clients slowed by sanitizers and a busy machine time to finish
// each one: a client that misses a period loses what it carried.
constexpr const char* kPeriodFrames = "1024";
std::atomic<int> g_servers{0};

void Quiet(const char*) {}

bool Answers(const std::string& name) {
  jack_set_error_function(Quiet);
  jack_set_info_function(Quiet);
  jack_status_t status{};
  jack_client_t* client = jack_client_open(
      "zephyl-probe", static_cast<jack_options_t>(JackNoStartServer | JackServerName), &status,
      name.c_str());
  if (client == nullptr) return false;
  jack_client_close(client);
  return true;
}
}  // namespace

JackServer::JackServer(const std::filesystem::path& folder)
    : m_name("zephyl-test-" + std::to_string(getpid()) + "-" + std::to_string(++g_servers)) {
  setenv("JACK_DEFAULT_SERVER", m_name.c_str(), 1);
  setenv("JACK_NO_AUDIO_RESERVATION", "1", 1);
  m_jackd = std::make_unique<SpawnedProgram>(
      std::vector<std::string>{"/usr/bin/jackd", "--no-realtime", "-p", "64", "-n", m_name, "-d",
                               "dummy", "-r", "48000", "-p", kPeriodFrames},
      folder, "jackd");
  const auto deadline = std::chrono::steady_clock::now() + kStartTimeout;
  while (!Answers(m_name)) {
    if (m_jackd->Wait(std::chrono::milliseconds(0)) ||
        std::chrono::steady_clock::now() >= deadline) {
      m_failure = "The JACK server " + m_name + " did not start (is jackd installed?):\n" +
                  m_jackd->Out() + m_jackd->Err();
      return;
    }
    std::this_thread::sleep_for(kPoll);
  }
}

JackServer::~JackServer() {
  Stop();
}

void JackServer::Stop() {
  if (!m_jackd) return;
  m_jackd->Signal(SIGTERM);
  m_jackd->Wait(std::chrono::duration_cast<std::chrono::milliseconds>(kStopTimeout));
  m_jackd.reset();
  // Clients that outlived the server leave their semaphores; the name is this run's alone.
  std::error_code ignored;
  for (const auto& entry : std::filesystem::directory_iterator("/dev/shm", ignored)) {
    if (entry.path().filename().string().find("_" + m_name + "_") != std::string::npos) {
      std::filesystem::remove(entry.path(), ignored);
    }
  }
}

}  // namespace zephyl::test
