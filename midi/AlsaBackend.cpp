#include <unistd.h>

#include <mutex>

#include "MidiBackend.h"
#include "RtMidiSupport.h"

namespace zephyl {

namespace {

// The sequencer takes events into the kernel's pool; bursts larger than this would only fill
// it when pacing is off.
constexpr std::size_t kAlsaBurstBytes = 4096;
constexpr std::chrono::milliseconds kAlsaBurstPeriod{10};
constexpr const char* kSequencerDevice = "/dev/snd/seq";

class AlsaBackend final : public MidiBackend {
 public:
  AlsaBackend(std::unique_ptr<RtMidiIn> in, std::unique_ptr<RtMidiOut> out)
      : m_in(std::move(in)), m_out(std::move(out)) {
    m_in->setErrorCallback(IgnoreRtMidiError);
    m_out->setErrorCallback(IgnoreRtMidiError);
  }

  RtMidi::Api RtApi() const override { return RtMidi::LINUX_ALSA; }

  std::vector<std::string> Ports(bool input) override {
    std::lock_guard lock(m_mutex);
    RtMidi& lister = input ? static_cast<RtMidi&>(*m_in) : static_cast<RtMidi&>(*m_out);
    std::vector<std::string> names;
    try {
      const unsigned count = lister.getPortCount();
      for (unsigned n = 0; n < count; ++n) {
        std::string name = lister.getPortName(n);
        if (!name.empty()) names.push_back(std::move(name));
      }
    } catch (const RtMidiError&) {
      names.clear();
    }
    return names;
  }

  std::string SystemError() const override { return {}; }
  BackendBudget Budget() const override { return {kAlsaBurstBytes, kAlsaBurstPeriod}; }

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
