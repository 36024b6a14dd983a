#include <jack/jack.h>
#include <jack/midiport.h>
#include <jack/ringbuffer.h>

#include <atomic>
#include <cerrno>
#include <mutex>
#include <new>
#include <stdexcept>

#include "InputQueue.h"
#include "JackClient.h"
#include "MidiBackend.h"

namespace zephyl {

std::unique_ptr<MidiBackend> OpenJackBackend(std::function<void()> changed);

namespace {

// Bursts of one chunk, refilled every period: at most two chunks reach the server's port
// buffer within one period, well below the 32 KiB it holds.
constexpr std::size_t kJackBurstBytes = 4096;
// What an output holds on its way to the process thread: several periods of bursts.
constexpr std::size_t kOutputRingBytes = std::size_t{64} << 10;
// The process thread passes a message on in the cycle after the one it was handed over in,
// and the cycle after that has run once the message has reached the port it is connected to.
constexpr std::uint64_t kCyclesToLeave = 2;
constexpr const char* kInputPortName = "input";
constexpr const char* kOutputPortName = "output";
constexpr const char* kServerStopped = "The JACK server stopped";

using Size = std::uint32_t;  // the length in front of each message in an output's ring

void Quiet(const char*) {}

std::string ShutdownReason(jack_status_t code, const char* reason, const std::string& port) {
  std::string text = code & JackClientZombie ? "JACK dropped the port \"" + port + '"'
                                             : std::string(kServerStopped);
  if (reason != nullptr && *reason != '\0') text += std::string(": ") + reason;
  return text;
}

// A client of our own with one MIDI port. Open(), once the derived object is whole, activates
// it and connects the port to `peer` unless the port is ours for others to connect to.
// Derived objects Close() first, while the state their process callback uses is still there.
class JackPortClient {
 public:
  JackPortClient(const std::string& portName, bool input, std::function<void()> changed)
      : m_changed(std::move(changed)), m_input(input), m_client(kMidiClientName) {
    m_client.With([&](jack_client_t* client) {
      m_port = jack_port_register(client, portName.c_str(), JACK_DEFAULT_MIDI_TYPE,
                                  input ? JackPortIsInput : JackPortIsOutput, 0);
      if (m_port != nullptr) m_name = jack_port_name(m_port);
      jack_on_info_shutdown(client, &JackPortClient::OnShutdown, this);
    });
    if (m_port == nullptr) {
      m_client.Close();
      throw std::runtime_error("No JACK server took the port \"" + portName + "\"");
    }
  }
  virtual ~JackPortClient() { Close(); }
  JackPortClient(const JackPortClient&) = delete;
  JackPortClient& operator=(const JackPortClient&) = delete;

 protected:
  void Open(JackProcessCallback process, const std::string& peer) {
    bool active = false;
    m_client.With([&](jack_client_t* client) {
      jack_set_process_callback(client, process, this);
      active = jack_activate(client) == 0;
    });
    if (!active) {
      Close();
      throw std::runtime_error("JACK did not start the port \"" + m_name + '"');
    }
    m_peer = peer;
    m_connected = peer.empty();
    Connect();
  }
  // A client takes connections only once it is active, a moment after its ports appear.
  bool Connect() {
    if (m_connected) return true;
    m_client.With([&](jack_client_t* client) {
      const int result = jack_connect(client, (m_input ? m_peer : m_name).c_str(),
                                      (m_input ? m_name : m_peer).c_str());
      m_connected = result == 0 || result == EEXIST;
    });
    return m_connected;
  }
  bool Connected() const { return m_connected; }
  const std::string& PortName() const { return m_name; }
  std::string ClientFailure() const {
    if (!m_dropped) return m_client.IsOpen() ? std::string() : kServerStopped;
    std::lock_guard lock(m_mutex);
    return m_failure;
  }
  // The process thread's own: the port is there while the client runs.
  void* Buffer(jack_nframes_t frames) { return jack_port_get_buffer(m_port, frames); }
  // jack_connect() returns before the server's next cycle takes the connection into its graph;
  // what the port carries until then reaches nobody. Reads the cycle's graph without locking.
  bool Linked() const { return jack_port_connected(m_port) > 0; }
  void Close() { m_client.Close(); }

 private:
  static void OnShutdown(jack_status_t code, const char* reason, void* self) {
    auto* port = static_cast<JackPortClient*>(self);
    port->m_client.MarkDropped();
    {
      std::lock_guard lock(port->m_mutex);
      port->m_failure = ShutdownReason(code, reason, port->m_name);
    }
    port->m_dropped = true;
    port->m_changed();
  }

  std::function<void()> m_changed;
  bool m_input;
  mutable JackClient m_client;
  jack_port_t* m_port = nullptr;
  std::string m_name;
  std::string m_peer;
  std::atomic<bool> m_connected{false};
  std::atomic<bool> m_dropped{false};
  mutable std::mutex m_mutex;
  std::string m_failure;
};

class JackInput final : public BackendPort, private JackPortClient {
 public:
  JackInput(const std::string& port, bool own, InputQueue& queue, std::function<void()> changed)
      : JackPortClient(own ? port : kInputPortName, true, std::move(changed)), m_queue(queue) {
    Open(&JackInput::Process, own ? std::string() : port);
  }
  ~JackInput() override { Close(); }

  std::string Name() const override { return PortName(); }
  std::string Failure() const override { return ClientFailure(); }
  bool Connect() override { return JackPortClient::Connect(); }

 private:
  // JACK's real-time thread: no allocation, no lock, no waiting.
  static int Process(jack_nframes_t frames, void* self) {
    auto* input = static_cast<JackInput*>(static_cast<JackPortClient*>(self));
    void* buffer = input->Buffer(frames);
    const jack_nframes_t count = jack_midi_get_event_count(buffer);
    for (jack_nframes_t i = 0; i < count; ++i) {
      jack_midi_event_t event;
      if (jack_midi_event_get(&event, buffer, i) == 0) {
        input->m_queue.Feed(std::span<const std::uint8_t>(event.buffer, event.size));
      }
    }
    input->m_queue.Flush();
    return 0;
  }

  InputQueue& m_queue;
};

class JackOutput final : public BackendOutput, private JackPortClient {
 public:
  JackOutput(const std::string& port, std::function<void()> changed)
      : JackPortClient(kOutputPortName, false, std::move(changed)),
        m_ring(jack_ringbuffer_create(kOutputRingBytes)) {
    if (m_ring == nullptr) throw std::bad_alloc();
    try {
      Open(&JackOutput::Process, port);
    } catch (...) {
      jack_ringbuffer_free(m_ring);
      throw;
    }
  }
  ~JackOutput() override {
    Close();
    jack_ringbuffer_free(m_ring);
  }

  std::string Name() const override { return PortName(); }
  std::string Failure() const override { return ClientFailure(); }
  bool Connect() override { return JackPortClient::Connect(); }

  Result Send(std::span<const std::uint8_t> message) override {
    if (m_aborted || !ClientFailure().empty()) return Result::Failed;
    // Nothing would reach the instrument yet.
    if (!Connected()) return Result::Full;
    const auto size = static_cast<Size>(message.size());
    // Never waits for room: a server that stopped would never make any.
    if (jack_ringbuffer_write_space(m_ring) < sizeof size + size) return Result::Full;
    jack_ringbuffer_write(m_ring, reinterpret_cast<const char*>(&size), sizeof size);
    jack_ringbuffer_write(m_ring, reinterpret_cast<const char*>(message.data()), size);
    m_sentAt = m_cycles.load();
    return Result::Sent;
  }
  bool Pending() const override {
    return jack_ringbuffer_read_space(m_ring) > 0 || m_cycles.load() < m_sentAt + kCyclesToLeave;
  }
  void Abort() override { m_aborted = true; }

 private:
  // JACK's real-time thread: moves whole messages from the ring into the port's buffer.
  static int Process(jack_nframes_t frames, void* self) {
    auto* output = static_cast<JackOutput*>(static_cast<JackPortClient*>(self));
    void* buffer = output->Buffer(frames);
    jack_midi_clear_buffer(buffer);
    // Held in the ring until the connection is in this cycle's graph.
    if (output->Linked()) output->Drain(buffer);
    output->m_cycles.fetch_add(1);
    return 0;
  }
  void Drain(void* buffer) {
    jack_ringbuffer_t* ring = m_ring;
    Size size = 0;
    while (jack_ringbuffer_peek(ring, reinterpret_cast<char*>(&size), sizeof size) == sizeof size &&
           jack_ringbuffer_read_space(ring) >= sizeof size + size) {
      jack_midi_data_t* data = jack_midi_event_reserve(buffer, 0, size);
      if (data == nullptr) break;  // the rest goes in the next period
      jack_ringbuffer_read_advance(ring, sizeof size);
      jack_ringbuffer_read(ring, reinterpret_cast<char*>(data), size);
    }
  }

  jack_ringbuffer_t* m_ring;
  std::atomic<std::uint64_t> m_cycles{0};
  std::atomic<std::uint64_t> m_sentAt{0};
  std::atomic<bool> m_aborted{false};
};

// A client of our own, without ports: it lists ports, learns the period, hears of ports that
// come and go and of the server going away.
class JackBackend final : public MidiBackend {
 public:
  explicit JackBackend(std::function<void()> changed)
      : m_client(std::string(kMidiClientName) + "-monitor"), m_changed(std::move(changed)) {
    m_client.With([this](jack_client_t* client) {
      jack_on_info_shutdown(client, &JackBackend::OnShutdown, this);
      jack_set_port_registration_callback(client, &JackBackend::OnPortRegistration, this);
      // A client that has just appeared takes connections once it is active.
      jack_set_graph_order_callback(client, &JackBackend::OnGraphOrder, this);
      const jack_nframes_t rate = jack_get_sample_rate(client);
      const jack_nframes_t frames = jack_get_buffer_size(client);
      m_period = std::chrono::nanoseconds(std::chrono::seconds(1)) * frames / (rate > 0 ? rate : 1);
      jack_activate(client);
    });
  }
  bool IsOpen() const { return m_client.IsOpen(); }

  std::vector<std::string> Ports(bool input) override {
    std::vector<std::string> names;
    if (m_gone) return names;
    m_client.With([&](jack_client_t* client) {
      // Reading means taking from another client's output port.
      const char** ports = jack_get_ports(client, nullptr, JACK_DEFAULT_MIDI_TYPE,
                                          input ? JackPortIsOutput : JackPortIsInput);
      if (ports == nullptr) return;
      for (const char** port = ports; *port != nullptr; ++port) names.emplace_back(*port);
      jack_free(ports);
    });
    return names;
  }

  std::string SystemError() const override {
    if (!m_gone) return m_client.IsOpen() ? std::string() : kServerStopped;
    std::lock_guard lock(m_mutex);
    return m_reason;
  }

  BackendBudget Budget() const override { return {kJackBurstBytes, m_period}; }

  std::unique_ptr<BackendPort> OpenInput(const std::string& port, bool own,
                                         InputQueue& queue) override {
    return std::make_unique<JackInput>(port, own, queue, m_changed);
  }
  std::unique_ptr<BackendOutput> OpenOutput(const std::string& port) override {
    return std::make_unique<JackOutput>(port, m_changed);
  }

 private:
  static void OnShutdown(jack_status_t code, const char* reason, void* self) {
    auto* backend = static_cast<JackBackend*>(self);
    backend->m_client.MarkDropped();
    {
      std::lock_guard lock(backend->m_mutex);
      backend->m_reason =
          ShutdownReason(static_cast<jack_status_t>(code & ~JackClientZombie), reason, {});
    }
    backend->m_gone = true;
    backend->m_changed();
  }
  static void OnPortRegistration(jack_port_id_t, int, void* self) {
    static_cast<JackBackend*>(self)->m_changed();
  }
  static int OnGraphOrder(void* self) {
    static_cast<JackBackend*>(self)->m_changed();
    return 0;
  }

  mutable JackClient m_client;
  std::function<void()> m_changed;
  std::chrono::nanoseconds m_period{0};
  std::atomic<bool> m_gone{false};
  mutable std::mutex m_mutex;
  std::string m_reason;
};

}  // namespace

std::unique_ptr<MidiBackend> OpenJackBackend(std::function<void()> changed) {
  // The library's own messages go to stderr otherwise, from every client of the process.
  jack_set_error_function(Quiet);
  jack_set_info_function(Quiet);
  auto backend = std::make_unique<JackBackend>(std::move(changed));
  if (!backend->IsOpen()) return nullptr;
  return backend;
}

}  // namespace zephyl
