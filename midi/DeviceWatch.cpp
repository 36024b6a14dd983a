#include "DeviceWatch.h"

#include <algorithm>
#include <vector>

namespace zephyl {

namespace {

constexpr const char* kReconnects = "Zephyl reconnects as soon as it is back.";

std::string Quoted(const std::string& name) {
  return '"' + name + '"';
}

}  // namespace

DeviceWatch::DeviceWatch(MidiLibrary& library, CInputDeviceMenu& inputMenu,
                         COutputDeviceMenu& outputMenu, CMidiInPort& input, CMidiOutPort& output,
                         std::function<void(const std::string&)> tell)
    : m_library(library),
      m_inputMenu(inputMenu),
      m_outputMenu(outputMenu),
      m_input(input),
      m_output(output),
      m_tell(std::move(tell)) {}

DeviceWatch::~DeviceWatch() {
  if (m_started) m_library.SetPortsListener(nullptr);
}

void DeviceWatch::Start(DeviceMenuHost& host, const DeviceChoice& remembered) {
  StartMidi(host, m_library, m_inputMenu, m_outputMenu, m_input, m_output, remembered);
  m_library.SetPortsListener(this);
  m_started = true;
}

void DeviceWatch::Rebuild() {
  if (!m_started) return;
  m_inputMenu.Rebuild(m_library, kFirstDeviceCommandId);
  m_outputMenu.Rebuild(m_library, COutputDeviceMenu::FirstId(m_inputMenu.ItemCount()));
}

void DeviceWatch::OnMidiPortsChanged() {
  std::vector<std::string> news;
  const auto say = [&news](std::string text) {
    if (std::find(news.begin(), news.end(), text) == news.end()) news.push_back(std::move(text));
  };
  // A port that stopped working is let go; its name stays chosen.
  if (const std::string error = m_input.DeviceError(); !error.empty()) {
    m_input.Close();
    m_inputMenu.SetMissing(true);
    say(error + ".");
  }
  if (const std::string error = m_output.DeviceError(); !error.empty()) {
    m_output.Reset();
    m_output.Close();
    m_outputMenu.SetMissing(true);
    say(error + ".");
  }
  if (!news.empty()) news.push_back(kReconnects);
  Rebuild();
  const auto reopen = [&](DeviceMenu& menu, bool open, const char* kind) {
    if (open) return;
    const std::optional<std::string> before = menu.Chosen();
    if (before && menu.Missing()) {
      const auto item = menu.Find(*before);
      if (!item) return;
      menu.Select(*item);
      if (&menu == &m_inputMenu ? m_input.IsOpen() : m_output.IsOpen()) {
        menu.SetMissing(false);
        say(std::string("The MIDI ") + kind + ' ' + Quoted(*menu.Chosen()) + " is back.");
      }
    } else if (!before && menu.ItemCount() > 0) {
      menu.Select(0);
      say(std::string("Using the MIDI ") + kind + ' ' + Quoted(menu.Chosen().value_or("")) +
          ", which has just appeared.");
    }
  };
  reopen(m_inputMenu, m_input.IsOpen(), "input");
  reopen(m_outputMenu, m_output.IsOpen(), "output");
  Rebuild();
  if (news.empty()) return;
  std::string text;
  for (const std::string& line : news) text += (text.empty() ? "" : "\n") + line;
  m_tell(text);
}

std::string DeviceWatch::WhyNotSent() const {
  if (!m_outputMenu.Missing() || !m_outputMenu.Chosen()) return {};
  return "Not sent: the MIDI output " + Quoted(*m_outputMenu.Chosen()) +
         " is not there. It is opened again when it comes back.";
}

}  // namespace zephyl
