#pragma once

#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <thread>
#include <vector>

#include "EventPoster.h"
#include "InputQueue.h"
#include "MidiApi.h"
#include "MidiBackend.h"
#include "MidiClock.h"
#include "MidiLibrary.h"
#include "OutputWriter.h"
#include "Pacing.h"
#include "PortCloser.h"

namespace zephyl {

// The MIDI library over the ALSA sequencer (through RtMidi) or JACK. It picks the API once:
// the one asked for, else the one ZEPHYL_MIDI_API names, else the ALSA sequencer when it
// opens, else JACK when a server answers, else none, with no devices. Notifications reach the
// ports through `poster`, and never after their port has closed or the library has gone.
//
// A monitor thread follows the system: a port that goes away or a system that stops fails the
// devices open on it, and every change of the ports is told to the ports listener. A JACK
// server that stops is looked for again every second, and once it answers the library works
// on it as before. Ports close on a thread of their own. No exception leaves it.
class RtMidiLibrary final : public MidiLibrary {
 public:
  // How often the monitor looks at the ports when the system tells nothing (ALSA), and how
  // often it looks for a system that stopped.
  static constexpr std::chrono::milliseconds kMonitorPeriod{250};
  static constexpr std::chrono::seconds kReopenPeriod{1};
  // A port that takes no connection after this many looks is a failure.
  static constexpr int kConnectTries = 20;

  explicit RtMidiLibrary(EventPoster& poster, std::optional<MidiApi> api = std::nullopt,
                         const Pacing& pacing = {});
  // On the MIDI system `open` makes, for `api`, and on `clock`.
  RtMidiLibrary(EventPoster& poster, MidiApi api, BackendFactory open, MidiClock& clock,
                const Pacing& pacing = {});
  ~RtMidiLibrary() override;
  RtMidiLibrary(const RtMidiLibrary&) = delete;
  RtMidiLibrary& operator=(const RtMidiLibrary&) = delete;

  MidiApi Api() const { return m_api; }
  // Why the API asked for is not in use, or why the last open failed; empty when neither.
  std::string LastError() const { return m_lastError; }
  // Lists one more input device after the system's: a port of this program's own, named
  // `port`, for other programs to connect to and send to. Returns its device number.
  MidiDevice OfferOwnInput(const std::string& port);

  int GetNumInDevices() override;
  int GetNumOutDevices() override;
  std::optional<std::string> GetMidiInDescription(MidiDevice device) override;
  std::optional<std::string> GetMidiOutDescription(MidiDevice device) override;
  MidiHandle OpenMidiIn(MidiNotificationWindow& window, MidiDevice device,
                        std::uint32_t options) override;
  MidiHandle OpenMidiOut(MidiNotificationWindow& window, MidiDevice device,
                         std::uint32_t options) override;
  void StartMidiIn(MidiHandle handle) override;
  void StopMidiIn(MidiHandle handle) override;
  const MidiEvent* GetMidiIn(MidiHandle handle) override;
  std::uint16_t PutMidiOut(MidiHandle handle, const MidiEvent& event) override;
  void ResetMidiOut(MidiHandle handle) override;
  bool IsMidiOutIdle(MidiHandle handle) override;
  void CloseMidiIn(MidiHandle handle) override;
  void CloseMidiOut(MidiHandle handle) override;
  std::string DeviceError(MidiHandle handle) override;
  std::uint64_t DroppedMidiIn(MidiHandle handle) override;
  std::uint64_t OversizeMidiIn(MidiHandle handle) override;
  void SetPortsListener(MidiPortsListener* listener) override { m_listener = listener; }

 private:
  struct Open {
    MidiNotificationWindow* window = nullptr;
    // Closed after the port that feeds it.
    std::unique_ptr<InputQueue> queue;
    std::unique_ptr<BackendPort> input;
    bool running = false;
    std::unique_ptr<OutputWriter> output;
    std::string ownName;  // the system's name of the port opened for it
  };
  // What the monitor knows of one open device.
  struct Watched {
    std::string peer;  // the system's port it reads or writes; empty for our own port
    bool input = false;
    BackendPort* port = nullptr;
    std::string error;
    int connectTries = 0;
  };

  void Choose(std::optional<MidiApi> api);
  std::shared_ptr<MidiBackend> Backend();
  std::optional<std::string> Description(bool input, MidiDevice device);
  std::vector<std::string> ListedPorts(bool input);
  bool IsOwnInput(bool input, MidiDevice device) const;
  MidiHandle OpenPort(MidiNotificationWindow& window, MidiDevice device, bool input);
  void Close(MidiHandle handle);
  Open* Find(MidiHandle handle);
  // Posts `deliver` to the port's window, to run if the port is still open then; called from
  // the backend's and the writers' threads.
  std::function<void()> Notifier(MidiHandle handle, void (MidiNotificationWindow::*deliver)());
  void Wake();
  void Monitor();
  // One look at the system, under the watch lock; true when the listener is to hear of it.
  bool Check(MidiClock::TimePoint now);
  void PostPortsChanged();

  EventPoster& m_poster;
  BackendFactory m_openBackend;
  MidiClock& m_clock;
  MidiApi m_api = MidiApi::None;
  Pacing m_pacing;
  std::string m_lastError;
  std::vector<std::string> m_inputs;  // as last listed: device numbers index these
  std::vector<std::string> m_outputs;
  std::optional<std::string> m_ownInput;
  std::string m_ownInputName;  // as the system named it once open: "Zephyl-01:receive" in JACK
  std::map<MidiHandle, Open> m_open;
  MidiHandle m_nextHandle = kMaxFailedHandle + 1;
  MidiPortsListener* m_listener = nullptr;
  // Posted notifications hold this weakly: once it is gone, they do nothing.
  std::shared_ptr<RtMidiLibrary*> m_self;
  // Copied by other threads; never changes.
  const std::weak_ptr<RtMidiLibrary*> m_weakSelf;

  std::mutex m_watchMutex;
  std::shared_ptr<MidiBackend> m_backend;
  std::map<MidiHandle, Watched> m_watched;
  // Ports of this program, open or closing: never offered as devices, so that it cannot talk
  // to itself.
  std::multiset<std::string> m_ownPorts;
  std::vector<std::string> m_seenInputs, m_seenOutputs;
  MidiClock::TimePoint m_nextReopen{};

  std::mutex m_wakeMutex;
  std::condition_variable m_wake;
  bool m_changed = false;
  bool m_stopping = false;
  PortCloser m_closer;
  std::thread m_monitor;
};

}  // namespace zephyl
