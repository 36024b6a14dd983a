#include <jack/jack.h>

#include <atomic>
#include <mutex>

#include "MidiBackend.h"

namespace zephyl {

namespace {

// Bursts of one chunk, refilled every period: at most two chunks reach the server's port
// buffer within one period, well below the 32 KiB it holds and the 16 KiB of RtMidi's ring.
constexpr std::size_t kJackBurstBytes = 4096;

void Quiet(const char*) {}

// A client of our own, without ports: it lists ports, learns the period and hears when the
// server goes away, none of which RtMidi tells.
class JackBackend final : public MidiBackend {
 public:
  explicit JackBackend(jack_client_t* client) : m_client(client) {
    jack_on_info_shutdown(client, &JackBackend::OnShutdown, this);
    const jack_nframes_t rate = jack_get_sample_rate(client);
    const jack_nframes_t frames = jack_get_buffer_size(client);
    m_period = std::chrono::nanoseconds(std::chrono::seconds(1)) * frames / (rate > 0 ? rate : 1);
    jack_activate(client);
  }
  ~JackBackend() override { jack_client_close(m_client); }

  RtMidi::Api RtApi() const override { return RtMidi::UNIX_JACK; }

  std::vector<std::string> Ports(bool input) override {
    std::vector<std::string> names;
    if (m_gone) return names;
    // Reading means taking from another client's output port.
    const char** ports = jack_get_ports(m_client, nullptr, JACK_DEFAULT_MIDI_TYPE,
                                        input ? JackPortIsOutput : JackPortIsInput);
    if (ports == nullptr) return names;
    for (const char** port = ports; *port != nullptr; ++port) names.emplace_back(*port);
    jack_free(ports);
    return names;
  }

  std::string SystemError() const override {
    if (!m_gone) return {};
    std::lock_guard lock(m_mutex);
    return m_reason;
  }

  BackendBudget Budget() const override { return {kJackBurstBytes, m_period}; }

 private:
  static void OnShutdown(jack_status_t, const char* reason, void* self) {
    auto* backend = static_cast<JackBackend*>(self);
    {
      std::lock_guard lock(backend->m_mutex);
      backend->m_reason = "The JACK server stopped";
      if (reason != nullptr && *reason != '\0') backend->m_reason += std::string(": ") + reason;
    }
    backend->m_gone = true;
  }

  jack_client_t* m_client;
  std::chrono::nanoseconds m_period{0};
  std::atomic<bool> m_gone{false};
  mutable std::mutex m_mutex;
  std::string m_reason;
};

}  // namespace

std::unique_ptr<MidiBackend> OpenJackBackend() {
  // The library's own messages go to stderr otherwise, from every client of the process.
  jack_set_error_function(Quiet);
  jack_set_info_function(Quiet);
  jack_status_t status{};
  const std::string name = std::string(kMidiClientName) + "-monitor";
  jack_client_t* client = jack_client_open(name.c_str(), JackNoStartServer, &status);
  if (client == nullptr) return nullptr;
  return std::make_unique<JackBackend>(client);
}

}  // namespace zephyl
