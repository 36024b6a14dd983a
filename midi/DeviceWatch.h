#pragma once

#include <functional>
#include <string>

#include "MidiStartup.h"

namespace zephyl {

// Keeps the device menus and their ports in step with the system's ports. The lists are
// rebuilt as they are; a chosen port that fails or goes away is closed and marked missing, and
// reopened when a port of its name comes back (ALSA's numbers aside); with nothing chosen,
// because there was nothing at start, the first port that appears is opened as start-up would
// have. What the user should know is told once, through `tell`.
class DeviceWatch final : public MidiPortsListener {
 public:
  DeviceWatch(MidiLibrary& library, CInputDeviceMenu& inputMenu, COutputDeviceMenu& outputMenu,
              CMidiInPort& input, CMidiOutPort& output,
              std::function<void(const std::string&)> tell);
  ~DeviceWatch() override;
  DeviceWatch(const DeviceWatch&) = delete;
  DeviceWatch& operator=(const DeviceWatch&) = delete;

  // StartMidi, then the watch begins.
  void Start(DeviceMenuHost& host, const DeviceChoice& remembered);
  // Both lists as the system has them now, ids and marks as a menu built afresh has them.
  void Rebuild();
  void OnMidiPortsChanged() override;

  // Why a Send would reach nothing now; empty when it would reach the chosen output.
  std::string WhyNotSent() const;

 private:
  MidiLibrary& m_library;
  CInputDeviceMenu& m_inputMenu;
  COutputDeviceMenu& m_outputMenu;
  CMidiInPort& m_input;
  CMidiOutPort& m_output;
  std::function<void(const std::string&)> m_tell;
  bool m_started = false;
};

}  // namespace zephyl
