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
#include "MidiApi.h"
#include "MidiBackend.h"
#include "MidiLibrary.h"
#include "Pacing.h"
#include "RtMidiInput.h"
#include "RtMidiOutput.h"

namespace zephyl {

// The MIDI library over RtMidi. It picks the API once: the one asked for, else the one
// ZEPHYL_MIDI_API names, else the ALSA sequencer when it opens, else JACK when a server
// answers, else none, with no devices. Notifications reach the ports through `poster`, and
// never after their port has closed or the library has gone. A monitor thread notices ports
// that go away and servers that stop. No exception leaves it.
class RtMidiLibrary final : public MidiLibrary {
 public:
  explicit RtMidiLibrary(EventPoster& poster, std::optional<MidiApi> api = std::nullopt,
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

 private:
  struct Open {
    MidiNotificationWindow* window = nullptr;
    std::unique_ptr<RtMidiInput> input;
    std::unique_ptr<RtMidiOutput> output;
    // The system's names of the ports opening it made.
    std::vector<std::string> ownPorts;
  };
  // What the monitor knows of one open port.
  struct Watched {
    std::string port;
    bool input = false;
    // Our own port is in no list of the system's: only the system itself can fail it.
    bool own = false;
    std::string error;
  };

  std::optional<std::string> Description(bool input, MidiDevice device);
  std::vector<std::string> ListedPorts(bool input);
  std::set<std::string> SystemPorts();
  bool IsOwnInput(bool input, MidiDevice device) const;
  MidiHandle OpenPort(MidiNotificationWindow& window, MidiDevice device, bool input);
  void Close(MidiHandle handle);
  Open* Find(MidiHandle handle);
  // Posts `deliver` to the port's window, to run if the port is still open then; called from
  // the backend's and the writers' threads.
  std::function<void()> Notifier(MidiHandle handle, void (MidiNotificationWindow::*deliver)());
  void Monitor();

  EventPoster& m_poster;
  MidiApi m_api = MidiApi::None;
  std::unique_ptr<MidiBackend> m_backend;
  Pacing m_pacing;
  std::string m_lastError;
  std::vector<std::string> m_inputs;  // as last listed: device numbers index these
  std::vector<std::string> m_outputs;
  std::optional<std::string> m_ownInput;
  std::string m_ownInputName;  // as the system named it once open: "Zephyl-01:receive" in JACK
  // Ports of this program: never offered as devices, so that it cannot talk to itself.
  std::set<std::string> m_ownPorts;
  std::map<MidiHandle, Open> m_open;
  MidiHandle m_nextHandle = kMaxFailedHandle + 1;
  // Posted notifications hold this weakly: once it is gone, they do nothing.
  std::shared_ptr<RtMidiLibrary*> m_self;
  // Copied by other threads; never changes.
  const std::weak_ptr<RtMidiLibrary*> m_weakSelf;

  std::mutex m_watchMutex;
  std::condition_variable m_watchWake;
  std::map<MidiHandle, Watched> m_watched;
  bool m_stopping = false;
  std::thread m_monitor;
};

}  // namespace zephyl
