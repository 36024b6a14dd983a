// From the moment an instrument's port appears on the JACK server that ./bench.sh starts to the
// moment a dump sent to it arrives there: the editor's device menus find the port chosen
// before, reopen it, and Return sends.
#include <benchmark/benchmark.h>
#include <jack/jack.h>
#include <jack/midiport.h>

#include <atomic>
#include <optional>

#include "CMidiInPort.h"
#include "CPatchSender.h"
#include "DeviceWatch.h"
#include "MainLoop.h"
#include "RtMidiLibrary.h"

namespace zephyl::bench {

namespace {

using namespace std::chrono_literals;
constexpr auto kTimeout = 10s;

// The menus, nowhere to be seen.
class NoMenus final : public DeviceMenuHost {
 public:
  int PopupCount() override { return 1; }
  MenuHandle InsertPopup(int, std::string_view) override { return 0; }
  void AppendItem(MenuHandle, CommandId, std::string_view) override {}
  void CheckItem(MenuHandle, CommandId, bool) override {}
  void ClearPopup(MenuHandle) override {}
  void AppendNote(MenuHandle, std::string_view, bool) override {}
};

// An instrument plugged in: a client of its own with a MIDI input, which notes what arrives.
class Instrument {
 public:
  static constexpr const char* kName = "bench-instrument";

  Instrument() {
    jack_status_t status{};
    m_client = jack_client_open(kName, JackNoStartServer, &status);
    if (m_client == nullptr) return;
    jack_set_process_callback(m_client, &Instrument::Process, this);
    m_in = jack_port_register(m_client, "in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    jack_activate(m_client);
  }
  ~Instrument() {
    if (m_client == nullptr) return;
    jack_deactivate(m_client);
    jack_client_close(m_client);
  }
  bool Open() const { return m_in != nullptr; }
  bool Received() const { return m_received; }

 private:
  static int Process(jack_nframes_t frames, void* self) {
    auto* instrument = static_cast<Instrument*>(self);
    if (jack_midi_get_event_count(jack_port_get_buffer(instrument->m_in, frames)) > 0) {
      instrument->m_received = true;
    }
    return 0;
  }

  jack_client_t* m_client = nullptr;
  jack_port_t* m_in = nullptr;
  std::atomic<bool> m_received{false};
};

void BM_PortAppearanceToUse(benchmark::State& state) {
  MainLoop loop;
  RtMidiLibrary library(loop, MidiApi::Jack);
  if (library.Api() != MidiApi::Jack) {
    state.SkipWithError("No JACK server: run ./bench.sh");
    return;
  }
  NoMenus menus;
  CMidiInPort input(library);
  CPatchSender output(library);
  CInputDeviceMenu inputMenu;
  COutputDeviceMenu outputMenu;
  DeviceWatch watch(library, inputMenu, outputMenu, input, output, [](const std::string&) {});
  CQuensetDoc doc;
  {
    // Chosen once, then unplugged: from here on the port is missing until it is back.
    Instrument first;
    watch.Start(menus, {std::nullopt, std::string(Instrument::kName) + ":in"});
  }
  loop.RunUntil([&] { return !output.IsOpen(); }, kTimeout);
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    std::optional<Instrument> instrument(std::in_place);
    bool sent = false;
    const bool arrived = loop.RunUntil(
        [&] {
          if (!sent && output.IsOpen()) {
            output.OnSend(doc, 0);
            sent = true;
          }
          return instrument->Received();
        },
        kTimeout);
    state.SetIterationTime(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    if (!instrument->Open() || !arrived) {
      state.SkipWithError("The instrument's port was never used");
      return;
    }
    // Unplugged again before the next round.
    instrument.reset();
    loop.RunUntil([&] { return !output.IsOpen(); }, kTimeout);
  }
}
BENCHMARK(BM_PortAppearanceToUse)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10);

}  // namespace

}  // namespace zephyl::bench
