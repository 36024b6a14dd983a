#pragma once

#include "MidiLibrary.h"

namespace zephyl {

// Holds at most one open input device; the library's input notification drains its queue into
// OnMidiEvent. Closed, open or running; every operation on a closed port does nothing.
class CMidiInPort : public MidiNotificationWindow {
 public:
  explicit CMidiInPort(MidiLibrary& library) : m_library(library) {}
  ~CMidiInPort() override;
  CMidiInPort(const CMidiInPort&) = delete;
  CMidiInPort& operator=(const CMidiInPort&) = delete;

  // An open port stays on its device and answers true, whatever device is asked for.
  bool Open(MidiDevice device, std::uint32_t options);
  void Close();
  void Start();
  void Stop();

  bool IsOpen() const { return m_bOpen; }
  bool IsRunning() const { return m_bRunning; }
  // Why the open device stopped working; empty while it works or when closed.
  std::string DeviceError() const;
  std::uint64_t DroppedMessages() const;
  std::uint64_t OversizeMessages() const;

  // Passes every queued event, in queue order, to OnMidiEvent.
  void OnMidiInData() override;

 protected:
  // One event; the result is not used.
  virtual bool OnMidiEvent(const MidiEvent& /*event*/) { return true; }

 private:
  MidiLibrary& m_library;
  MidiHandle m_hMidi = 0;
  bool m_bOpen = false;
  bool m_bRunning = false;
};

}  // namespace zephyl
