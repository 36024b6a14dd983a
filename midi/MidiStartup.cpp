#include "MidiStartup.h"

namespace zephyl {

namespace {

int Remembered(const DeviceMenu& menu, const std::optional<std::string>& name) {
  return name ? menu.Find(*name).value_or(0) : 0;
}

}  // namespace

void StartMidi(DeviceMenuHost& host, MidiLibrary& library, CInputDeviceMenu& inputMenu,
               COutputDeviceMenu& outputMenu, CMidiInPort& input, CMidiOutPort& output,
               const DeviceChoice& remembered) {
  inputMenu.m_pPort = &input;
  inputMenu.Build(host, library, host.PopupCount() - 1, CInputDeviceMenu::kTitle,
                  kFirstDeviceCommandId);
  inputMenu.Select(Remembered(inputMenu, remembered.input));
  outputMenu.m_pPort = &output;
  outputMenu.Build(host, library, host.PopupCount() - 1, COutputDeviceMenu::kTitle,
                   COutputDeviceMenu::FirstId(inputMenu.ItemCount()));
  outputMenu.Select(Remembered(outputMenu, remembered.output));
  output.Open(0, kStartupOpenOptions);
  input.Open(0, kStartupOpenOptions);
  input.Start();
}

}  // namespace zephyl
