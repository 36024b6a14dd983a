#pragma once

#include <deque>
#include <limits>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "MidiLibrary.h"

namespace zephyl::test {

// An in-memory MIDI library: devices by name, open ports by handle, input queued by the test
// and delivered when it says so, output recorded with room the test controls. Calls that
// change state are logged, e.g. "OpenMidiOut 1 33320 -> 101".
class FakeMidiLibrary final : public MidiLibrary {
 public:
  struct Port {
    MidiNotificationWindow* window = nullptr;
    MidiDevice device = 0;
    bool input = false;
    bool started = false;
    std::deque<MidiEvent> queue;
    MidiEvent current;
    std::vector<MidiEvent> sent;
    std::size_t room = std::numeric_limits<std::size_t>::max();
  };

  std::vector<std::string> inputs;
  std::vector<std::string> outputs;
  std::optional<std::string> mapper;
  std::set<MidiDevice> failingInputs;
  std::set<MidiDevice> failingOutputs;
  std::vector<std::string> calls;
  std::map<MidiHandle, Port> ports;
  MidiHandle lastOpened = 0;

  // Queues System Exclusive bytes, one event each, on an open input.
  void QueueSysEx(MidiHandle handle, const std::vector<std::uint8_t>& bytes);
  void Queue(MidiHandle handle, const MidiEvent& event) { ports.at(handle).queue.push_back(event); }
  // What the library's posted notifications do.
  void DeliverInput(MidiHandle handle) { ports.at(handle).window->OnMidiInData(); }
  void OutputReady(MidiHandle handle, std::size_t room);
  std::vector<std::uint8_t> SentBytes(MidiHandle handle) const;
  bool IsOpen(MidiHandle handle) const { return ports.count(handle) != 0; }

  int GetNumInDevices() override { return static_cast<int>(inputs.size()); }
  int GetNumOutDevices() override { return static_cast<int>(outputs.size()); }
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
  void ResetMidiOut(MidiHandle handle) override { Log("ResetMidiOut", handle); }
  bool IsMidiOutIdle(MidiHandle) override { return true; }
  void CloseMidiIn(MidiHandle handle) override;
  void CloseMidiOut(MidiHandle handle) override;
  std::string DeviceError(MidiHandle) override { return {}; }
  std::uint64_t DroppedMidiIn(MidiHandle) override { return 0; }

 private:
  MidiHandle Open(MidiNotificationWindow& window, MidiDevice device, std::uint32_t options,
                  bool input);
  void Log(const std::string& what, MidiHandle handle);

  MidiHandle m_nextHandle = 100;
};

}  // namespace zephyl::test
