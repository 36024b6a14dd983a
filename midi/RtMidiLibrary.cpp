#include "RtMidiLibrary.h"

#include <algorithm>
#include <cstdlib>

namespace zephyl {

namespace {

constexpr std::chrono::milliseconds kMonitorPeriod{100};

std::unique_ptr<MidiBackend> OpenBackend(MidiApi api) {
  switch (api) {
    case MidiApi::Alsa:
      return OpenAlsaBackend();
    case MidiApi::Jack:
      return OpenJackBackend();
    case MidiApi::None:
      break;
  }
  return nullptr;
}

}  // namespace

RtMidiLibrary::RtMidiLibrary(EventPoster& poster, std::optional<MidiApi> api, const Pacing& pacing)
    : m_poster(poster),
      m_pacing(pacing),
      m_self(std::make_shared<RtMidiLibrary*>(this)),
      m_weakSelf(m_self) {
  if (!api) {
    if (const char* word = std::getenv(kMidiApiVariable); word != nullptr && *word != '\0') {
      api = ParseMidiApi(word);
      if (!api) {
        m_lastError = std::string(kMidiApiVariable) + "=" + word +
                      " is not one of alsa, jack, none; using none";
        api = MidiApi::None;
      }
    }
  }
  if (api) {
    m_backend = OpenBackend(*api);
    if (m_backend) {
      m_api = *api;
    } else if (*api != MidiApi::None) {
      m_lastError = *api == MidiApi::Alsa ? "The ALSA sequencer cannot be opened"
                                          : "No JACK server is running";
    }
  } else {
    for (const MidiApi candidate : {MidiApi::Alsa, MidiApi::Jack}) {
      m_backend = OpenBackend(candidate);
      if (m_backend) {
        m_api = candidate;
        break;
      }
    }
    if (!m_backend) {
      m_lastError =
          "No MIDI system: the ALSA sequencer cannot be opened and no JACK server is running";
    }
  }
  if (m_backend) m_monitor = std::thread(&RtMidiLibrary::Monitor, this);
}

RtMidiLibrary::~RtMidiLibrary() {
  m_self.reset();
  while (!m_open.empty()) Close(m_open.begin()->first);
  if (m_monitor.joinable()) {
    {
      std::lock_guard lock(m_watchMutex);
      m_stopping = true;
    }
    m_watchWake.notify_all();
    m_monitor.join();
  }
}

MidiDevice RtMidiLibrary::OfferOwnInput(const std::string& port) {
  m_ownInput = port;
  return static_cast<MidiDevice>(GetNumInDevices() - 1);
}

std::set<std::string> RtMidiLibrary::SystemPorts() {
  std::set<std::string> names;
  if (!m_backend) return names;
  for (const bool input : {true, false}) {
    for (std::string& name : m_backend->Ports(input)) names.insert(std::move(name));
  }
  return names;
}

std::vector<std::string> RtMidiLibrary::ListedPorts(bool input) {
  std::vector<std::string> names = m_backend ? m_backend->Ports(input) : std::vector<std::string>{};
  std::erase_if(names, [this](const std::string& name) { return m_ownPorts.contains(name); });
  if (input && m_ownInput && m_backend) {
    names.push_back(m_ownInputName.empty() ? kMidiClientName + (":" + *m_ownInput)
                                           : m_ownInputName);
  }
  return names;
}

bool RtMidiLibrary::IsOwnInput(bool input, MidiDevice device) const {
  return input && m_ownInput && device + std::size_t{1} == m_inputs.size();
}

int RtMidiLibrary::GetNumInDevices() {
  m_inputs = ListedPorts(true);
  return static_cast<int>(m_inputs.size());
}

int RtMidiLibrary::GetNumOutDevices() {
  m_outputs = ListedPorts(false);
  return static_cast<int>(m_outputs.size());
}

std::optional<std::string> RtMidiLibrary::Description(bool input, MidiDevice device) {
  std::vector<std::string>& names = input ? m_inputs : m_outputs;
  if (names.empty()) names = ListedPorts(input);
  // There is no mapper device here: the device number is simply out of range.
  if (device >= names.size()) return std::nullopt;
  return names[device];
}

std::optional<std::string> RtMidiLibrary::GetMidiInDescription(MidiDevice device) {
  return Description(true, device);
}

std::optional<std::string> RtMidiLibrary::GetMidiOutDescription(MidiDevice device) {
  return Description(false, device);
}

MidiHandle RtMidiLibrary::OpenMidiIn(MidiNotificationWindow& window, MidiDevice device,
                                     std::uint32_t) {
  return OpenPort(window, device, true);
}

MidiHandle RtMidiLibrary::OpenMidiOut(MidiNotificationWindow& window, MidiDevice device,
                                      std::uint32_t) {
  return OpenPort(window, device, false);
}

MidiHandle RtMidiLibrary::OpenPort(MidiNotificationWindow& window, MidiDevice device, bool input) {
  constexpr MidiHandle kFailed = 0;
  const auto name = Description(input, device);
  if (!m_backend || !name) {
    m_lastError = "There is no MIDI " + std::string(input ? "input" : "output") + " device " +
                  std::to_string(device);
    return kFailed;
  }
  const MidiHandle handle = m_nextHandle++;
  const bool own = IsOwnInput(input, device);
  // The system names our ports itself (a second client of the same name gets a number), and
  // tells no process which are its own: what appears while opening is ours.
  const std::set<std::string> before = SystemPorts();
  Open open;
  open.window = &window;
  try {
    if (input) {
      open.input =
          std::make_unique<RtMidiInput>(m_backend->RtApi(), own ? *m_ownInput : *name, own,
                                        Notifier(handle, &MidiNotificationWindow::OnMidiInData));
    } else {
      open.output = std::make_unique<RtMidiOutput>(
          *m_backend, *name, m_pacing, Notifier(handle, &MidiNotificationWindow::OnMidiOutReady));
    }
  } catch (const std::exception& error) {
    m_lastError = error.what();
    return kFailed;
  }
  std::optional<std::string> ownName;
  for (const std::string& port : SystemPorts()) {
    if (before.contains(port) || !m_ownPorts.insert(port).second) continue;
    open.ownPorts.push_back(port);
    if (own && port.find(":" + *m_ownInput) != std::string::npos) ownName = port;
  }
  if (own && !ownName) {
    // RtMidi reports a port of our own that will not open only to its error callback.
    for (const std::string& port : open.ownPorts) m_ownPorts.erase(port);
    m_lastError = "Cannot open our own MIDI port \"" + *name + "\"";
    return kFailed;
  }
  const std::string shown = own ? *ownName : *name;
  if (own) m_ownInputName = m_inputs.back() = shown;
  m_open.emplace(handle, std::move(open));
  {
    std::lock_guard lock(m_watchMutex);
    m_watched[handle] = Watched{shown, input, own, {}};
  }
  m_watchWake.notify_all();
  return handle;
}

RtMidiLibrary::Open* RtMidiLibrary::Find(MidiHandle handle) {
  const auto it = m_open.find(handle);
  return it == m_open.end() ? nullptr : &it->second;
}

std::function<void()> RtMidiLibrary::Notifier(MidiHandle handle,
                                              void (MidiNotificationWindow::*deliver)()) {
  return [self = m_weakSelf, poster = &m_poster, handle, deliver] {
    poster->Post([self, handle, deliver] {
      const auto library = self.lock();
      if (!library) return;
      if (Open* open = (*library)->Find(handle)) (open->window->*deliver)();
    });
  };
}

void RtMidiLibrary::StartMidiIn(MidiHandle handle) {
  if (Open* open = Find(handle); open && open->input) open->input->Start();
}

void RtMidiLibrary::StopMidiIn(MidiHandle handle) {
  if (Open* open = Find(handle); open && open->input) open->input->Stop();
}

const MidiEvent* RtMidiLibrary::GetMidiIn(MidiHandle handle) {
  Open* open = Find(handle);
  return open && open->input ? open->input->Next() : nullptr;
}

std::uint16_t RtMidiLibrary::PutMidiOut(MidiHandle handle, const MidiEvent& event) {
  constexpr std::uint16_t kTaken = 0;
  constexpr std::uint16_t kFull = 1;
  Open* open = Find(handle);
  if (!open || !open->output) return kTaken;
  return open->output->Put(event) ? kTaken : kFull;
}

void RtMidiLibrary::ResetMidiOut(MidiHandle handle) {
  if (Open* open = Find(handle); open && open->output) open->output->Reset();
}

bool RtMidiLibrary::IsMidiOutIdle(MidiHandle handle) {
  Open* open = Find(handle);
  return !open || !open->output || open->output->Idle();
}

void RtMidiLibrary::CloseMidiIn(MidiHandle handle) {
  Close(handle);
}

void RtMidiLibrary::CloseMidiOut(MidiHandle handle) {
  Close(handle);
}

void RtMidiLibrary::Close(MidiHandle handle) {
  {
    std::lock_guard lock(m_watchMutex);
    m_watched.erase(handle);
  }
  if (Open* open = Find(handle)) {
    for (const std::string& name : open->ownPorts) m_ownPorts.erase(name);
  }
  m_open.erase(handle);
}

std::string RtMidiLibrary::DeviceError(MidiHandle handle) {
  std::lock_guard lock(m_watchMutex);
  const auto it = m_watched.find(handle);
  return it == m_watched.end() ? std::string() : it->second.error;
}

std::uint64_t RtMidiLibrary::DroppedMidiIn(MidiHandle handle) {
  Open* open = Find(handle);
  return open && open->input ? open->input->Dropped() : 0;
}

void RtMidiLibrary::Monitor() {
  std::unique_lock lock(m_watchMutex);
  while (!m_stopping) {
    m_watchWake.wait_for(lock, kMonitorPeriod);
    if (m_stopping || m_watched.empty()) continue;
    lock.unlock();
    const std::string systemError = m_backend->SystemError();
    std::vector<std::string> inputs;
    std::vector<std::string> outputs;
    if (systemError.empty()) {
      inputs = m_backend->Ports(true);
      outputs = m_backend->Ports(false);
    }
    lock.lock();
    for (auto& [handle, watched] : m_watched) {
      if (!watched.error.empty()) continue;
      const auto& names = watched.input ? inputs : outputs;
      if (!systemError.empty()) {
        watched.error = systemError;
      } else if (!watched.own &&
                 std::find(names.begin(), names.end(), watched.port) == names.end()) {
        watched.error = "The MIDI port \"" + watched.port + "\" went away";
      } else {
        continue;
      }
      // The port's own thread drops output from now on; the window hears of it through its
      // usual notification, so that a paused send runs to its end and a waiting loop wakes.
      const MidiHandle lost = handle;
      const bool input = watched.input;
      m_poster.Post([self = m_weakSelf, lost, input] {
        const auto library = self.lock();
        if (!library) return;
        Open* open = (*library)->Find(lost);
        if (!open) return;
        if (open->output) open->output->Fail();
        if (input) {
          open->window->OnMidiInData();
        } else {
          open->window->OnMidiOutReady();
        }
      });
    }
  }
}

}  // namespace zephyl
