#include "RtMidiLibrary.h"

#include <algorithm>
#include <cstdlib>

#include "DumpFormat.h"

namespace zephyl {

std::unique_ptr<MidiBackend> OpenAlsaBackend();
std::unique_ptr<MidiBackend> OpenJackBackend(std::function<void()> changed);

std::unique_ptr<MidiBackend> OpenSystemBackend(MidiApi api, std::function<void()> changed) {
  switch (api) {
    case MidiApi::Alsa:
      return OpenAlsaBackend();
    case MidiApi::Jack:
      return OpenJackBackend(std::move(changed));
    case MidiApi::None:
      break;
  }
  return nullptr;
}

namespace {

// Nothing this program takes in is longer than one program dump; longer System Exclusive is
// dropped as soon as it is seen.
constexpr std::size_t kMaxSysEx = kDumpSize;
constexpr std::uint16_t kTaken = 0;
constexpr std::uint16_t kFull = 1;

std::string SystemName(MidiApi api) {
  return api == MidiApi::Alsa ? "The ALSA sequencer cannot be opened" : "No JACK server is running";
}

}  // namespace

RtMidiLibrary::RtMidiLibrary(EventPoster& poster, std::optional<MidiApi> api, const Pacing& pacing)
    : m_poster(poster),
      m_openBackend(&OpenSystemBackend),
      m_clock(SteadyMidiClock()),
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
  Choose(api);
}

RtMidiLibrary::RtMidiLibrary(EventPoster& poster, MidiApi api, BackendFactory open,
                             MidiClock& clock, const Pacing& pacing)
    : m_poster(poster),
      m_openBackend(std::move(open)),
      m_clock(clock),
      m_pacing(pacing),
      m_self(std::make_shared<RtMidiLibrary*>(this)),
      m_weakSelf(m_self) {
  Choose(api);
}

void RtMidiLibrary::Choose(std::optional<MidiApi> api) {
  const auto changed = [this] { Wake(); };
  const std::vector<MidiApi> candidates =
      api ? std::vector<MidiApi>{*api} : std::vector<MidiApi>{MidiApi::Alsa, MidiApi::Jack};
  for (const MidiApi candidate : candidates) {
    if (candidate == MidiApi::None) break;
    if (auto backend = m_openBackend(candidate, changed)) {
      m_backend = std::move(backend);
      m_api = candidate;
      break;
    }
  }
  if (!m_backend) {
    if (!api) {
      m_lastError =
          "No MIDI system: the ALSA sequencer cannot be opened and no JACK server is running";
    } else if (*api != MidiApi::None) {
      m_lastError = SystemName(*api);
    }
    return;
  }
  m_monitor = std::thread(&RtMidiLibrary::Monitor, this);
}

RtMidiLibrary::~RtMidiLibrary() {
  m_self.reset();
  while (!m_open.empty()) Close(m_open.begin()->first);
  if (m_monitor.joinable()) {
    {
      std::lock_guard lock(m_wakeMutex);
      m_stopping = true;
    }
    m_wake.notify_all();
    m_monitor.join();
  }
  // The closer finishes closing as it goes; the backend goes after the ports it opened.
}

MidiDevice RtMidiLibrary::OfferOwnInput(const std::string& port) {
  m_ownInput = port;
  return static_cast<MidiDevice>(GetNumInDevices() - 1);
}

std::shared_ptr<MidiBackend> RtMidiLibrary::Backend() {
  std::lock_guard lock(m_watchMutex);
  return m_backend;
}

std::vector<std::string> RtMidiLibrary::ListedPorts(bool input) {
  const std::shared_ptr<MidiBackend> backend = Backend();
  std::vector<std::string> names;
  if (backend && backend->SystemError().empty()) names = backend->Ports(input);
  {
    std::lock_guard lock(m_watchMutex);
    std::erase_if(names, [this](const std::string& name) { return m_ownPorts.contains(name); });
  }
  if (input && m_ownInput && backend) {
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
  const std::shared_ptr<MidiBackend> backend = Backend();
  if (!backend || !name) {
    m_lastError = "There is no MIDI " + std::string(input ? "input" : "output") + " device " +
                  std::to_string(device);
    return kFailed;
  }
  const MidiHandle handle = m_nextHandle++;
  const bool own = IsOwnInput(input, device);
  Open open;
  open.window = &window;
  try {
    if (input) {
      open.queue = std::make_unique<InputQueue>(
          kMaxSysEx, Notifier(handle, &MidiNotificationWindow::OnMidiInData));
      open.input = backend->OpenInput(own ? *m_ownInput : *name, own, *open.queue);
      open.ownName = open.input->Name();
    } else {
      std::unique_ptr<BackendOutput> port = backend->OpenOutput(*name);
      open.ownName = port->Name();
      open.output =
          std::make_unique<OutputWriter>(std::move(port), m_pacing, backend->Budget(), m_clock,
                                         Notifier(handle, &MidiNotificationWindow::OnMidiOutReady));
    }
  } catch (const std::exception& error) {
    m_lastError = error.what();
    return kFailed;
  }
  if (own) m_ownInputName = m_inputs.back() = open.ownName;
  BackendPort* port = input ? open.input.get() : &open.output->Port();
  {
    std::lock_guard lock(m_watchMutex);
    m_ownPorts.insert(open.ownName);
    m_watched[handle] = Watched{own ? std::string() : *name, input, port, {}};
  }
  m_open.emplace(handle, std::move(open));
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
  if (Open* open = Find(handle); open && open->input) open->running = true;
}

void RtMidiLibrary::StopMidiIn(MidiHandle handle) {
  if (Open* open = Find(handle); open && open->input) open->running = false;
}

const MidiEvent* RtMidiLibrary::GetMidiIn(MidiHandle handle) {
  Open* open = Find(handle);
  if (!open || !open->queue) return nullptr;
  // Input is taken only between Start and Stop; what comes meanwhile is drained and dropped.
  const MidiEvent* event = open->queue->Next();
  while (event != nullptr && !open->running) event = open->queue->Next();
  return event;
}

std::uint16_t RtMidiLibrary::PutMidiOut(MidiHandle handle, const MidiEvent& event) {
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
  auto node = m_open.extract(handle);
  if (node.empty()) return;
  {
    std::lock_guard lock(m_watchMutex);
    m_watched.erase(handle);
  }
  // The port first, then what its callback fed; the name stays ours until the port is gone.
  m_closer.Close([this, open = std::make_shared<Open>(std::move(node.mapped()))] {
    open->output.reset();
    open->input.reset();
    open->queue.reset();
    std::lock_guard lock(m_watchMutex);
    if (const auto it = m_ownPorts.find(open->ownName); it != m_ownPorts.end())
      m_ownPorts.erase(it);
  });
}

std::string RtMidiLibrary::DeviceError(MidiHandle handle) {
  std::lock_guard lock(m_watchMutex);
  const auto it = m_watched.find(handle);
  return it == m_watched.end() ? std::string() : it->second.error;
}

std::uint64_t RtMidiLibrary::DroppedMidiIn(MidiHandle handle) {
  Open* open = Find(handle);
  return open && open->queue ? open->queue->Dropped() : 0;
}

std::uint64_t RtMidiLibrary::OversizeMidiIn(MidiHandle handle) {
  Open* open = Find(handle);
  return open && open->queue ? open->queue->Oversize() : 0;
}

void RtMidiLibrary::Wake() {
  {
    std::lock_guard lock(m_wakeMutex);
    m_changed = true;
  }
  m_wake.notify_all();
}

void RtMidiLibrary::Monitor() {
  std::unique_lock lock(m_wakeMutex);
  while (!m_stopping) {
    m_clock.WaitUntil(lock, m_wake, m_clock.Now() + kMonitorPeriod,
                      [this] { return m_stopping || m_changed; });
    if (m_stopping) break;
    m_changed = false;
    lock.unlock();
    if (Check(m_clock.Now())) PostPortsChanged();
    lock.lock();
  }
}

bool RtMidiLibrary::Check(MidiClock::TimePoint now) {
  std::unique_lock lock(m_watchMutex);
  std::string systemError = m_backend->SystemError();
  bool changed = false;
  // A server is let go for good before it is looked for again: one still shutting down takes
  // a new client badly.
  if (systemError.empty()) m_nextReopen = now + kReopenPeriod;
  if (!systemError.empty() && now >= m_nextReopen) {
    // A server that stopped may run again: the library then works on the new one.
    m_nextReopen = now + kReopenPeriod;
    lock.unlock();
    std::shared_ptr<MidiBackend> reopened = m_openBackend(m_api, [this] { Wake(); });
    lock.lock();
    if (reopened) {
      m_backend = std::move(reopened);
      systemError.clear();
      changed = true;
    }
  }
  // Compared under the same lock that opening a device takes, so that no device opened since
  // the listing is judged by it.
  std::vector<std::string> inputs, outputs;
  if (systemError.empty()) {
    inputs = m_backend->Ports(true);
    outputs = m_backend->Ports(false);
  }
  changed = changed || inputs != m_seenInputs || outputs != m_seenOutputs;
  m_seenInputs = std::move(inputs);
  m_seenOutputs = std::move(outputs);
  for (auto& [handle, watched] : m_watched) {
    if (!watched.error.empty()) continue;
    const auto& names = watched.input ? m_seenInputs : m_seenOutputs;
    if (!systemError.empty()) {
      watched.error = systemError;
    } else if (std::string failure = watched.port->Failure(); !failure.empty()) {
      watched.error = std::move(failure);
    } else if (!watched.peer.empty() &&
               std::find(names.begin(), names.end(), watched.peer) == names.end()) {
      watched.error = "The MIDI port \"" + watched.peer + "\" went away";
    } else if (!watched.port->Connect() && ++watched.connectTries >= kConnectTries) {
      watched.error = "Cannot connect to the MIDI port \"" + watched.peer + '"';
    } else {
      continue;
    }
    changed = true;
    // Output stops taking events from now on; the window hears of it through its usual
    // notification, so that a paused send runs to its end and a waiting loop wakes.
    m_poster.Post([self = m_weakSelf, lost = handle, input = watched.input] {
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
  return changed;
}

void RtMidiLibrary::PostPortsChanged() {
  m_poster.Post([self = m_weakSelf] {
    const auto library = self.lock();
    if (library && (*library)->m_listener != nullptr) (*library)->m_listener->OnMidiPortsChanged();
  });
}

}  // namespace zephyl
