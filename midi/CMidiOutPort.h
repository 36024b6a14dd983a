#pragma once

#include "MidiLibrary.h"

namespace zephyl {

// Holds at most one open output device. A closed port takes every event and sends nothing.
class CMidiOutPort : public MidiNotificationWindow {
 public:
  explicit CMidiOutPort(MidiLibrary& library) : m_library(library) {}
  ~CMidiOutPort() override;
  CMidiOutPort(const CMidiOutPort&) = delete;
  CMidiOutPort& operator=(const CMidiOutPort&) = delete;

  // An open port stays on its device and answers true, whatever device is asked for.
  bool Open(MidiDevice device, std::uint32_t options);
  void Close();
  // Drops output not yet sent.
  void Reset();
  // False when the device cannot take the event now; OnOutputReady follows when it can.
  bool Put(const MidiEvent& event);

  bool IsOpen() const { return m_bOpen; }
  // True when everything taken has been handed to the device (always, when closed).
  bool IsIdle() const;
  std::string DeviceError() const;

  void OnMidiOutReady() override { OnOutputReady(); }

 protected:
  virtual void OnOutputReady() {}

 private:
  MidiLibrary& m_library;
  MidiHandle m_hMidi = 0;
  bool m_bOpen = false;
};

}  // namespace zephyl
