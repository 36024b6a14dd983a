// The instrument in end-to-end tests: a JACK client that appends what reaches its input "in" to
// a file (--record) and can echo it (--echo); once something listens to "out", it sends a file
// there (--send) at full speed. Says "ready", then "connected" once "in" has a sender.
#include <jack/jack.h>
#include <jack/midiport.h>
#include <jack/ringbuffer.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <fstream>
#include <iostream>
#include <map>
#include <thread>
#include <vector>

namespace {

constexpr std::size_t kRingBytes = 1 << 20;
constexpr std::size_t kMaxEventBytes = 8192;
constexpr auto kPoll = std::chrono::milliseconds(1);
constexpr std::uint8_t kSysExStart = 0xF0;

std::atomic<bool> g_stop{false};
jack_port_t* g_in = nullptr;
jack_port_t* g_out = nullptr;
jack_ringbuffer_t* g_received = nullptr;  // [length][bytes] per event
jack_ringbuffer_t* g_toSend = nullptr;    // [length][bytes] per message

int Process(jack_nframes_t frames, void*) {
  void* in = jack_port_get_buffer(g_in, frames);
  const jack_nframes_t count = jack_midi_get_event_count(in);
  for (jack_nframes_t i = 0; i < count; ++i) {
    jack_midi_event_t event;
    if (jack_midi_event_get(&event, in, i) != 0) continue;
    const std::uint32_t size = static_cast<std::uint32_t>(event.size);
    if (jack_ringbuffer_write_space(g_received) < sizeof size + size) continue;
    jack_ringbuffer_write(g_received, reinterpret_cast<const char*>(&size), sizeof size);
    jack_ringbuffer_write(g_received, reinterpret_cast<const char*>(event.buffer), size);
  }
  // As much as the port's buffer takes in one period.
  void* out = jack_port_get_buffer(g_out, frames);
  jack_midi_clear_buffer(out);
  std::uint32_t size = 0;
  while (jack_ringbuffer_peek(g_toSend, reinterpret_cast<char*>(&size), sizeof size) ==
             sizeof size &&
         jack_ringbuffer_read_space(g_toSend) >= sizeof size + size) {
    jack_midi_data_t* data = jack_midi_event_reserve(out, 0, size);
    if (data == nullptr) break;
    jack_ringbuffer_read_advance(g_toSend, sizeof size);
    jack_ringbuffer_read(g_toSend, reinterpret_cast<char*>(data), size);
  }
  return 0;
}

void Queue(const std::vector<std::uint8_t>& message) {
  const auto size = static_cast<std::uint32_t>(message.size());
  while (jack_ringbuffer_write_space(g_toSend) < sizeof size + size && !g_stop) {
    std::this_thread::sleep_for(kPoll);
  }
  jack_ringbuffer_write(g_toSend, reinterpret_cast<const char*>(&size), sizeof size);
  jack_ringbuffer_write(g_toSend, reinterpret_cast<const char*>(message.data()), size);
}

// A new event at each start byte, so that a message cut short goes as it is.
std::vector<std::vector<std::uint8_t>> Events(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(file), {}};
  std::vector<std::vector<std::uint8_t>> events;
  for (const std::uint8_t byte : bytes) {
    if (events.empty() || byte == kSysExStart || events.back().size() == kMaxEventBytes) {
      events.emplace_back();
    }
    events.back().push_back(byte);
  }
  return events;
}

}  // namespace

int main(int argc, char** argv) {
  const auto fail = [](const std::string& why) {
    std::cerr << "zephyl-standin: " << why << '\n';
    return 1;
  };
  std::map<std::string, std::string> options;  // --echo takes no value
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    options[arg] = arg == "--echo" || i + 1 == argc ? "" : argv[++i];
  }
  const std::string name = options["--name"], record = options["--record"];
  const bool echo = options.count("--echo") > 0;
  std::signal(SIGTERM, [](int) { g_stop = true; });

  jack_status_t status{};
  jack_client_t* client = jack_client_open(
      name.c_str(), static_cast<jack_options_t>(JackNoStartServer | JackUseExactName), &status);
  if (client == nullptr) return fail("cannot open a JACK client named " + name);
  g_received = jack_ringbuffer_create(kRingBytes);
  g_toSend = jack_ringbuffer_create(kRingBytes);
  g_in = jack_port_register(client, "in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
  g_out = jack_port_register(client, "out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
  jack_set_process_callback(client, Process, nullptr);
  if (g_in == nullptr || g_out == nullptr || jack_activate(client) != 0) {
    return fail("cannot set up the ports");
  }
  std::cout << "ready" << std::endl;

  // Without --record the stream never opens and takes nothing.
  std::ofstream recording(record, std::ios::binary | std::ios::app);
  auto pending = Events(options["--send"]);
  bool connected = false;
  std::vector<std::uint8_t> event;
  while (!g_stop) {
    std::uint32_t size = 0;
    // The process thread writes the length before the bytes: wait for both.
    while (jack_ringbuffer_peek(g_received, reinterpret_cast<char*>(&size), sizeof size) ==
               sizeof size &&
           jack_ringbuffer_read_space(g_received) >= sizeof size + size) {
      jack_ringbuffer_read_advance(g_received, sizeof size);
      event.resize(size);
      jack_ringbuffer_read(g_received, reinterpret_cast<char*>(event.data()), size);
      recording.write(reinterpret_cast<const char*>(event.data()),
                      static_cast<std::streamsize>(event.size()));
      if (echo) Queue(event);
    }
    recording.flush();
    if (!connected && jack_port_connected(g_in) > 0) {
      connected = true;
      std::cout << "connected" << std::endl;
    }
    if (!pending.empty() && jack_port_connected(g_out) > 0) {
      for (const auto& message : pending) Queue(message);
      pending.clear();
    }
    std::this_thread::sleep_for(kPoll);
  }
  jack_client_close(client);
  return 0;
}
