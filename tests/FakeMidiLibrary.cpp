#include "FakeMidiLibrary.h"

#include <sstream>

namespace zephyl::test {

void FakeMidiLibrary::QueueSysEx(MidiHandle handle, const std::vector<std::uint8_t>& bytes) {
  MidiEvent event;
  event.status = kSysExStatus;
  for (const std::uint8_t byte : bytes) {
    event.data1 = byte;
    Queue(handle, event);
  }
}

void FakeMidiLibrary::OutputReady(MidiHandle handle, std::size_t room) {
  Port& port = ports.at(handle);
  port.room = room;
  port.window->OnMidiOutReady();
}

std::vector<std::uint8_t> FakeMidiLibrary::SentBytes(MidiHandle handle) const {
  std::vector<std::uint8_t> bytes;
  for (const MidiEvent& event : ports.at(handle).sent) bytes.push_back(event.data1);
  return bytes;
}

std::optional<std::string> FakeMidiLibrary::GetMidiInDescription(MidiDevice device) {
  if (device >= inputs.size()) return std::nullopt;
  return inputs[device];
}

std::optional<std::string> FakeMidiLibrary::GetMidiOutDescription(MidiDevice device) {
  if (device == kMapperDevice) return mapper;
  if (device >= outputs.size()) return std::nullopt;
  return outputs[device];
}

MidiHandle FakeMidiLibrary::Open(MidiNotificationWindow& window, MidiDevice device,
                                 std::uint32_t options, bool input) {
  const auto& names = input ? inputs : outputs;
  const auto& failing = input ? failingInputs : failingOutputs;
  const bool exists = device < names.size() || (!input && device == kMapperDevice && mapper);
  MidiHandle handle = 2;  // a failure value
  if (exists && failing.count(device) == 0) {
    handle = m_nextHandle++;
    Port& port = ports[handle];
    port.window = &window;
    port.device = device;
    port.input = input;
    lastOpened = handle;
  }
  std::ostringstream line;
  line << (input ? "OpenMidiIn " : "OpenMidiOut ") << device << ' ' << std::hex << options
       << std::dec << " -> " << handle;
  calls.push_back(line.str());
  return handle;
}

MidiHandle FakeMidiLibrary::OpenMidiIn(MidiNotificationWindow& window, MidiDevice device,
                                       std::uint32_t options) {
  return Open(window, device, options, true);
}

MidiHandle FakeMidiLibrary::OpenMidiOut(MidiNotificationWindow& window, MidiDevice device,
                                        std::uint32_t options) {
  return Open(window, device, options, false);
}

void FakeMidiLibrary::StartMidiIn(MidiHandle handle) {
  Log("StartMidiIn", handle);
  ports.at(handle).started = true;
}

void FakeMidiLibrary::StopMidiIn(MidiHandle handle) {
  Log("StopMidiIn", handle);
  ports.at(handle).started = false;
}

const MidiEvent* FakeMidiLibrary::GetMidiIn(MidiHandle handle) {
  Port& port = ports.at(handle);
  if (port.queue.empty()) return nullptr;
  port.current = port.queue.front();
  port.queue.pop_front();
  return &port.current;
}

std::uint16_t FakeMidiLibrary::PutMidiOut(MidiHandle handle, const MidiEvent& event) {
  Port& port = ports.at(handle);
  if (port.room == 0) return 1;
  --port.room;
  port.sent.push_back(event);
  return 0;
}

void FakeMidiLibrary::CloseMidiIn(MidiHandle handle) {
  Log("CloseMidiIn", handle);
  ports.erase(handle);
}

void FakeMidiLibrary::CloseMidiOut(MidiHandle handle) {
  Log("CloseMidiOut", handle);
  ports.erase(handle);
}

void FakeMidiLibrary::Log(const std::string& what, MidiHandle handle) {
  calls.push_back(what + ' ' + std::to_string(handle));
}

}  // namespace zephyl::test
