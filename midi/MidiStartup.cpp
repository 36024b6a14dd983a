#include "MidiStartup.h"

namespace zephyl {

void StartMidi(DeviceMenuHost& host, MidiLibrary& library, CInputDeviceMenu& inputMenu,
               COutputDeviceMenu& outputMenu, CMidiInPort& input, CMidiOutPort& output) {
  inputMenu.Build(host, library, host.PopupCount() - 1, CInputDeviceMenu::kTitle,
                  kFirstDeviceCommandId);
  inputMenu.m_pPort = &input;
  inputMenu.Select(0);
  outputMenu.Build(host, library, host.PopupCount() - 1, COutputDeviceMenu::kTitle,
                   COutputDeviceMenu::FirstId(inputMenu.ItemCount()));
  outputMenu.m_pPort = &output;
  outputMenu.Select(0);
  output.Open(0, kStartupOpenOptions);
  input.Open(0, kStartupOpenOptions);
  input.Start();
}

}  // namespace zephyl
