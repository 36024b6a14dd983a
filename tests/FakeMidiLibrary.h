#pragma once

#include <deque>
#include <limits>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "InputFilter.h"
#include "MidiLibrary.h"

namespace zephyl::test {

// An in-memory MIDI library: input delivered when the test says, output recorded with room the
// test controls. Opens, starts, stops, resets and closes are logged ("StopMidiIn 100").
class FakeMidiLibrary final : public MidiLibrary {
 public:
  struct Port final : MidiEventSink {
    bool Push(const MidiEvent& event) override {
      queue.push_back(event);
      return true;
    }
    MidiNotificationWindow* window = nullptr;
    MidiDevice device = 0;
    std::deque<MidiEvent> queue;
    MidiEvent current;
    std::vector<MidiEvent> sent;
    std::size_t room = std::numeric_limits<std::size_t>::max();
  };

  std::vector<std::string> inputs, outputs;
  std::optional<std::string> mapper;
  std::set<MidiDevice> failingInputs, failingOutputs;
  std::vector<std::string> calls;
  std::map<MidiHandle, Port> ports;
  std::map<MidiHandle, Port> closed;         // ports once their handle closed
  std::map<MidiHandle, std::string> errors;  // DeviceError's answers
  MidiHandle lastOpened = 0;

  // Queues System Exclusive bytes, one event each, and delivers them as one notification.
  void Arrive(MidiHandle handle, const std::vector<std::uint8_t>& bytes) {
    for (const std::uint8_t byte : bytes) ports.at(handle).queue.push_back({0, kSysExStatus, byte});
    ports.at(handle).window->OnMidiInData();
  }
  void OutputReady(MidiHandle handle, std::size_t room) {
    ports.at(handle).room = room;
    ports.at(handle).window->OnMidiOutReady();
  }
  std::vector<std::uint8_t> SentBytes(MidiHandle handle) const {
    std::vector<std::uint8_t> bytes;
    for (const MidiEvent& event : ports.at(handle).sent) bytes.push_back(event.data1);
    return bytes;
  }

  int GetNumInDevices() override { return static_cast<int>(inputs.size()); }
  int GetNumOutDevices() override { return static_cast<int>(outputs.size()); }
  std::optional<std::string> GetMidiInDescription(MidiDevice device) override {
    return Name(inputs, device);
  }
  std::optional<std::string> GetMidiOutDescription(MidiDevice device) override {
    return device == kMapperDevice ? mapper : Name(outputs, device);
  }
  MidiHandle OpenMidiIn(MidiNotificationWindow& window, MidiDevice device,
                        std::uint32_t options) override {
    const bool opens = Name(inputs, device) && failingInputs.count(device) == 0;
    return Open("OpenMidiIn", window, device, options, opens);
  }
  MidiHandle OpenMidiOut(MidiNotificationWindow& window, MidiDevice device,
                         std::uint32_t options) override {
    const bool opens = GetMidiOutDescription(device) && failingOutputs.count(device) == 0;
    return Open("OpenMidiOut", window, device, options, opens);
  }
  void StartMidiIn(MidiHandle handle) override { Log("StartMidiIn", handle); }
  void StopMidiIn(MidiHandle handle) override { Log("StopMidiIn", handle); }
  const MidiEvent* GetMidiIn(MidiHandle handle) override {
    Port& port = ports.at(handle);
    if (port.queue.empty()) return nullptr;
    port.current = port.queue.front();
    port.queue.pop_front();
    return &port.current;
  }
  std::uint16_t PutMidiOut(MidiHandle handle, const MidiEvent& event) override {
    Port& port = ports.at(handle);
    if (port.room == 0) return 1;
    --port.room;
    port.sent.push_back(event);
    return 0;
  }
  void ResetMidiOut(MidiHandle handle) override { Log("ResetMidiOut", handle); }
  bool IsMidiOutIdle(MidiHandle) override { return true; }
  void CloseMidiIn(MidiHandle handle) override { Close("CloseMidiIn", handle); }
  void CloseMidiOut(MidiHandle handle) override { Close("CloseMidiOut", handle); }
  std::string DeviceError(MidiHandle handle) override {
    const auto it = errors.find(handle);
    return it == errors.end() ? std::string() : it->second;
  }
  std::uint64_t DroppedMidiIn(MidiHandle) override { return 0; }
  std::uint64_t OversizeMidiIn(MidiHandle) override { return 0; }
  void SetPortsListener(MidiPortsListener* l) override { listener = l; }
  void PortsChanged() { listener->OnMidiPortsChanged(); }  // the system's ports changed
  MidiPortsListener* listener = nullptr;

 private:
  static std::optional<std::string> Name(const std::vector<std::string>& names, MidiDevice i) {
    return i < names.size() ? std::optional(names[i]) : std::nullopt;
  }
  MidiHandle Open(const char* what, MidiNotificationWindow& window, MidiDevice device,
                  std::uint32_t options, bool opens) {
    const MidiHandle handle = opens ? m_nextHandle++ : 2;  // 2: a failure value
    if (opens) {
      lastOpened = handle;
      ports[handle].window = &window;
      ports[handle].device = device;
    }
    char line[64];
    std::snprintf(line, sizeof line, "%s %u %x -> %u", what, unsigned{device}, options, handle);
    calls.push_back(line);
    return handle;
  }
  void Log(const std::string& what, MidiHandle handle) {
    calls.push_back(what + ' ' + std::to_string(handle));
  }
  void Close(const std::string& what, MidiHandle handle) {
    Log(what, handle);
    closed[handle] = std::move(ports.at(handle));
    ports.erase(handle);
  }

  MidiHandle m_nextHandle = 100;
};

}  // namespace zephyl::test
