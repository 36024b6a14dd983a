#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "MidiEvent.h"

namespace zephyl {

using MidiDevice = std::uint16_t;
using MidiHandle = std::uint32_t;

// Output device number of the mapper, where a platform has one.
inline constexpr MidiDevice kMapperDevice = 0xFFFF;
// Open results up to this value are failures, never handles.
inline constexpr MidiHandle kMaxFailedHandle = 32;
// Options word of every opening from a device menu, and of the second start-up opening.
inline constexpr std::uint32_t kMenuOpenOptions = 0x33320;
inline constexpr std::uint32_t kStartupOpenOptions = 0x13320;

// Where the library delivers its two notifications, always on the thread that runs the rest of
// the system, and never after the handle it was given with has been closed.
class MidiNotificationWindow {
 public:
  virtual ~MidiNotificationWindow() = default;
  // Input events are queued: drain them with GetMidiIn.
  virtual void OnMidiInData() {}
  // Output that refused an event can take events again.
  virtual void OnMidiOutReady() {}
};

// Told, on the thread that runs the rest of the system, when the system's ports may have
// changed: a port came or went, an open device failed, the MIDI system stopped or came back.
class MidiPortsListener {
 public:
  virtual ~MidiPortsListener() = default;
  virtual void OnMidiPortsChanged() = 0;
};

// The operations of the MIDI library. Every call comes from the thread that runs the rest of
// the system; failures are results, never exceptions.
class MidiLibrary {
 public:
  virtual ~MidiLibrary() = default;

  // 0 or less: none.
  virtual int GetNumInDevices() = 0;
  virtual int GetNumOutDevices() = 0;
  // The device's full name, or nothing when there is no such device.
  virtual std::optional<std::string> GetMidiInDescription(MidiDevice device) = 0;
  virtual std::optional<std::string> GetMidiOutDescription(MidiDevice device) = 0;

  // A handle above kMaxFailedHandle, or a failure value.
  virtual MidiHandle OpenMidiIn(MidiNotificationWindow& window, MidiDevice device,
                                std::uint32_t options) = 0;
  virtual MidiHandle OpenMidiOut(MidiNotificationWindow& window, MidiDevice device,
                                 std::uint32_t options) = 0;

  // Input is queued only between the two.
  virtual void StartMidiIn(MidiHandle handle) = 0;
  virtual void StopMidiIn(MidiHandle handle) = 0;
  // The next queued event, valid until the next call; null when none is left.
  virtual const MidiEvent* GetMidiIn(MidiHandle handle) = 0;

  // 0: taken; anything else: not taken now, offer it again after OnMidiOutReady. Short messages
  // are always taken and go out ahead of System Exclusive still waiting, between messages.
  virtual std::uint16_t PutMidiOut(MidiHandle handle, const MidiEvent& event) = 0;
  // Drops output not yet sent.
  virtual void ResetMidiOut(MidiHandle handle) = 0;
  // True when every event taken has been handed to the device; never again once the device
  // failed with events still to go, so that a send cut short is never taken for a whole one.
  virtual bool IsMidiOutIdle(MidiHandle handle) = 0;

  virtual void CloseMidiIn(MidiHandle handle) = 0;
  virtual void CloseMidiOut(MidiHandle handle) = 0;

  // Why the device of an open handle stopped working (it went away, the server stopped), or
  // empty while it works.
  virtual std::string DeviceError(MidiHandle handle) = 0;
  // Input messages lost, wholly or in part, because the queue was full.
  virtual std::uint64_t DroppedMidiIn(MidiHandle handle) = 0;
  // System Exclusive messages dropped because they are longer than any the library takes in.
  virtual std::uint64_t OversizeMidiIn(MidiHandle handle) = 0;
  // Where port changes are told; null: nowhere.
  virtual void SetPortsListener(MidiPortsListener* listener) = 0;
};

}  // namespace zephyl
