#include <RtMidi.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <stdexcept>

#include "InputQueue.h"
#include "MidiBackend.h"

namespace zephyl {

std::unique_ptr<MidiBackend> OpenAlsaBackend();

namespace {

// The sequencer takes events into the kernel's pool; bursts larger than this would only fill
// it when pacing is off.
constexpr std::size_t kAlsaBurstBytes = 4096;
constexpr std::chrono::milliseconds kAlsaBurstPeriod{10};
constexpr const char* kSequencerDevice = "/dev/snd/seq";
// RtMidi's own input queue is unused: messages come through the callback.
constexpr unsigned kRtMidiQueueSize = 1;

// RtMidi then reports failures by its results instead of printing them and throwing.
void IgnoreRtMidiError(RtMidiError::Type, const std::string&, void*) {}

std::vector<std::string> PortNames(RtMidi& rt) {
  std::vector<std::string> names;
  try {
    const unsigned count = rt.getPortCount();
    for (unsigned n = 0; n < count; ++n) {
      std::string name = rt.getPortName(n);
      if (!name.empty()) names.push_back(std::move(name));
    }
  } catch (const RtMidiError&) {
    names.clear();
  }
  return names;
}

// The index RtMidi gives the named port now; the list may have changed since it was shown.
unsigned FindPort(RtMidi& rt, const std::string& name) {
  const std::vector<std::string> names = PortNames(rt);
  for (unsigned n = 0; n < names.size(); ++n) {
    if (names[n] == name) return n;
  }
  throw std::runtime_error("The MIDI port \"" + name + "\" is not there any more");
}

// RtMidi's input thread calls back with whole messages; its ALSA thread is an ordinary one.
class AlsaInput final : public BackendPort {
 public:
  AlsaInput(const std::string& port, bool own, InputQueue& queue) {
    m_in = std::make_unique<RtMidiIn>(RtMidi::LINUX_ALSA, kMidiClientName, kRtMidiQueueSize);
    m_in->setErrorCallback(IgnoreRtMidiError);
    m_in->ignoreTypes(false, true, true);  // System Exclusive in; clock and sensing out
    m_in->setCallback(&AlsaInput::OnMessage, &queue);
    if (own) {
      m_in->openVirtualPort(port);
      return;
    }
    m_in->openPort(FindPort(*m_in, port), "input");
    if (!m_in->isPortOpen()) throw std::runtime_error("Cannot open the MIDI port \"" + port + "\"");
  }
  // Closing the port ends RtMidi's input thread; only then does the callback's state go.
  ~AlsaInput() override { m_in->closePort(); }

  std::string Name() const override { return m_name; }
  std::string Failure() const override { return {}; }
  void SetName(std::string name) { m_name = std::move(name); }

 private:
  static void OnMessage(double, std::vector<unsigned char>* message, void* queue) {
    if (message == nullptr) return;
    static_cast<InputQueue*>(queue)->Feed(*message);
    static_cast<InputQueue*>(queue)->Flush();
  }

  std::string m_name;
  std::unique_ptr<RtMidiIn> m_in;
};

// The sequencer is opened without blocking: a full pool is a refusal, offered again later.
class AlsaOutput final : public BackendOutput {
 public:
  explicit AlsaOutput(const std::string& port) {
    m_out = std::make_unique<RtMidiOut>(RtMidi::LINUX_ALSA, kMidiClientName);
    m_out->setErrorCallback(&AlsaOutput::OnError, this);
    m_out->openPort(FindPort(*m_out, port), "output");
    if (!m_out->isPortOpen()) {
      throw std::runtime_error("Cannot open the MIDI port \"" + port + "\"");
    }
  }
  ~AlsaOutput() override { m_out->closePort(); }

  std::string Name() const override { return m_name; }
  std::string Failure() const override { return {}; }
  void SetName(std::string name) { m_name = std::move(name); }
  Result Send(std::span<const std::uint8_t> message) override {
    if (m_aborted) return Result::Failed;
    m_refused = false;
    m_out->sendMessage(message.data(), message.size());
    return m_refused ? Result::Full : Result::Sent;
  }
  bool Pending() const override { return false; }
  void Abort() override { m_aborted = true; }

 private:
  static void OnError(RtMidiError::Type, const std::string&, void* self) {
    static_cast<AlsaOutput*>(self)->m_refused = true;
  }

  std::unique_ptr<RtMidiOut> m_out;
  std::string m_name;
  bool m_refused = false;  // the sending thread's own
  std::atomic<bool> m_aborted{false};
};

std::string Appeared(const std::vector<std::string>& before,
                     const std::vector<std::string>& after) {
  for (const std::string& name : after) {
    if (std::find(before.begin(), before.end(), name) == before.end()) return name;
  }
  return {};
}

class AlsaBackend final : public MidiBackend {
 public:
  AlsaBackend(std::unique_ptr<RtMidiIn> in, std::unique_ptr<RtMidiOut> out)
      : m_in(std::move(in)), m_out(std::move(out)) {
    m_in->setErrorCallback(IgnoreRtMidiError);
    m_out->setErrorCallback(IgnoreRtMidiError);
  }

  std::vector<std::string> Ports(bool input) override {
    std::lock_guard lock(m_mutex);
    return PortNames(input ? static_cast<RtMidi&>(*m_in) : static_cast<RtMidi&>(*m_out));
  }
  // The sequencer runs as long as the kernel does; ports that come and go are seen in Ports.
  std::string SystemError() const override { return {}; }
  BackendBudget Budget() const override { return {kAlsaBurstBytes, kAlsaBurstPeriod}; }

  // RtMidi does not say what the sequencer named the port it opened for us: it is the one
  // that appears meanwhile, among the ports of the other direction.
  std::unique_ptr<BackendPort> OpenInput(const std::string& port, bool own,
                                         InputQueue& queue) override {
    const std::vector<std::string> before = Ports(false);
    auto input = std::make_unique<AlsaInput>(port, own, queue);
    input->SetName(Appeared(before, Ports(false)));
    // RtMidi reports a port of our own that will not open only to its error callback.
    if (own && input->Name().empty()) {
      throw std::runtime_error("Cannot open our own MIDI port \"" + port + "\"");
    }
    return input;
  }
  std::unique_ptr<BackendOutput> OpenOutput(const std::string& port) override {
    const std::vector<std::string> before = Ports(true);
    auto output = std::make_unique<AlsaOutput>(port);
    output->SetName(Appeared(before, Ports(true)));
    return output;
  }

 private:
  std::mutex m_mutex;
  std::unique_ptr<RtMidiIn> m_in;
  std::unique_ptr<RtMidiOut> m_out;
};

}  // namespace

std::unique_ptr<MidiBackend> OpenAlsaBackend() {
  // Without the device, RtMidi and ALSA would both print their failure before it throws.
  if (access(kSequencerDevice, R_OK | W_OK) != 0) return nullptr;
  try {
    auto in = std::make_unique<RtMidiIn>(RtMidi::LINUX_ALSA, kMidiClientName);
    auto out = std::make_unique<RtMidiOut>(RtMidi::LINUX_ALSA, kMidiClientName);
    return std::make_unique<AlsaBackend>(std::move(in), std::move(out));
  } catch (const RtMidiError&) {
    return nullptr;
  }
}

}  // namespace zephyl
