// Feeds arbitrary bytes, as MIDI input cut into chunks and notifications the input chooses,
// through the input filter and the receiver's port into a bank. Checks that exactly the
// program dumps in the stream arrive, in order, each decoded as the bank file reader decodes
// the same bytes, and that nothing is lost on the way.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "CPatch.h"
#include "CPatchReceiver.h"
#include "CQuensetDoc.h"
#include "InputFilter.h"
#include "MemoryByteSource.h"
#include "MidiLibrary.h"
#include "PatchView.h"

using namespace zephyl;

namespace {

constexpr MidiHandle kHandle = kMaxFailedHandle + 1;
constexpr std::uint8_t kRealTimeFirst = 0xF8;
constexpr std::uint8_t kStatusBit = 0x80;

// One input device whose events are what the filter makes of the bytes fed to it, queued until
// the harness delivers them as the library's notification.
class FilteredInput final : public MidiLibrary, private MidiEventSink {
 public:
  explicit FilteredInput(std::size_t maxSysEx) : m_filter(maxSysEx) {}

  void Feed(std::span<const std::uint8_t> bytes) { m_filter.Feed(bytes, *this); }
  void Deliver() {
    if (m_window != nullptr && !m_queue.empty()) m_window->OnMidiInData();
  }
  bool Drained() const { return m_queue.empty(); }

  int GetNumInDevices() override { return 1; }
  int GetNumOutDevices() override { return 0; }
  std::optional<std::string> GetMidiInDescription(MidiDevice device) override {
    return device == 0 ? std::optional<std::string>("input") : std::nullopt;
  }
  std::optional<std::string> GetMidiOutDescription(MidiDevice) override { return std::nullopt; }
  MidiHandle OpenMidiIn(MidiNotificationWindow& window, MidiDevice, std::uint32_t) override {
    m_window = &window;
    return kHandle;
  }
  MidiHandle OpenMidiOut(MidiNotificationWindow&, MidiDevice, std::uint32_t) override { return 0; }
  void StartMidiIn(MidiHandle) override {}
  void StopMidiIn(MidiHandle) override {}
  const MidiEvent* GetMidiIn(MidiHandle) override {
    if (m_queue.empty()) return nullptr;
    m_current = m_queue.front();
    m_queue.pop_front();
    return &m_current;
  }
  std::uint16_t PutMidiOut(MidiHandle, const MidiEvent&) override { return 0; }
  void ResetMidiOut(MidiHandle) override {}
  bool IsMidiOutIdle(MidiHandle) override { return true; }
  void CloseMidiIn(MidiHandle) override { m_window = nullptr; }
  void CloseMidiOut(MidiHandle) override {}
  std::string DeviceError(MidiHandle) override { return {}; }
  std::uint64_t DroppedMidiIn(MidiHandle) override { return m_filter.Dropped(); }
  std::uint64_t OversizeMidiIn(MidiHandle) override { return m_filter.Oversize(); }
  void SetPortsListener(MidiPortsListener*) override {}

 private:
  bool Push(const MidiEvent& event) override {
    m_queue.push_back(event);
    return true;
  }

  InputFilter m_filter;
  MidiNotificationWindow* m_window = nullptr;
  std::deque<MidiEvent> m_queue;
  MidiEvent m_current;
};

// Keeps what the receiver hands over, and lets the document take it as the editor's view does.
class RecordingView final : public PatchView {
 public:
  void InsertReceived(CQuensetDoc& doc, const CPatch& patch) override {
    received.push_back(patch);
    PatchView::InsertReceived(doc, patch);
  }
  void InvalidateAll() override { ++redraws; }

  std::vector<CPatch> received;
  std::size_t redraws = 0;
};

// The dumps the stream carries: with real-time bytes taken out, a start byte, the manufacturer
// id, 136 more data bytes and the end byte.
std::vector<Dump> DumpsIn(std::span<const std::uint8_t> stream) {
  std::vector<std::uint8_t> bytes;
  for (std::uint8_t b : stream) {
    if (b < kRealTimeFirst) bytes.push_back(b);
  }
  std::vector<Dump> dumps;
  for (std::size_t i = 0; i + kDumpSize <= bytes.size(); ++i) {
    if (bytes[i] != kSysExStart || bytes[i + 1] != kManufacturerId) continue;
    if (bytes[i + kDumpSize - 1] != kSysExEnd) continue;
    bool data = true;
    for (std::size_t k = 1; k < kDumpSize - 1 && data; ++k) data = !(bytes[i + k] & kStatusBit);
    if (!data) continue;
    Dump dump;
    std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(i), kDumpSize, dump.begin());
    dumps.push_back(dump);
    i += kDumpSize - 1;
  }
  return dumps;
}

// Chunk sizes and notification points from a seed of the input.
class Cuts {
 public:
  explicit Cuts(std::uint32_t seed) : m_state(seed * 2654435761u | 1) {}
  std::uint32_t Next() {
    m_state ^= m_state << 13;
    m_state ^= m_state >> 17;
    m_state ^= m_state << 5;
    return m_state;
  }

 private:
  std::uint32_t m_state;
};

}  // namespace

// The first byte: bit 0 chooses the library's limit on System Exclusive (one dump) or none,
// bits 1 to 3 the largest chunk (1 to 128 bytes), bits 4 and 5 how often events are delivered
// between chunks. The second byte seeds the cuts; the rest is the stream.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::uint8_t setup = data[0];
  const std::size_t maxSysEx = (setup & 1) ? kDumpSize : std::numeric_limits<std::size_t>::max();
  const std::size_t maxChunk = std::size_t{1} << ((setup >> 1) & 7);
  const std::uint32_t deliverEvery = 1u << ((setup >> 4) & 3);
  Cuts cuts(data[1]);
  const std::span<const std::uint8_t> stream(data + 2, size - 2);

  FilteredInput input(maxSysEx);
  CPatchReceiver receiver(input);
  if (!receiver.Open(0, kMenuOpenOptions)) std::abort();
  receiver.Start();
  CQuensetDoc doc;
  RecordingView view;
  receiver.OnReceive(doc, view);
  const std::size_t bank = doc.CurrentBank();
  const std::size_t before = doc.PatchCount(bank);
  const std::size_t first = doc.CurrentIndex(bank) + 1;  // where the first received patch goes

  for (std::size_t at = 0; at < stream.size();) {
    const std::size_t chunk = std::min<std::size_t>(1 + cuts.Next() % maxChunk, stream.size() - at);
    input.Feed(stream.subspan(at, chunk));
    at += chunk;
    if (cuts.Next() % deliverEvery == 0) input.Deliver();
  }
  input.Deliver();

  if (!input.Drained() || receiver.DroppedMessages() != 0 || !receiver.IsReceiving()) std::abort();
  const std::vector<Dump> dumps = DumpsIn(stream);
  if (view.received.size() != dumps.size() || view.redraws != dumps.size()) std::abort();
  if (doc.PatchCount(bank) != before + dumps.size()) std::abort();
  for (std::size_t n = 0; n < dumps.size(); ++n) {
    const Dump& dump = dumps[n];
    const CPatch& patch = view.received[n];
    if (!std::equal(patch.m_header.begin(), patch.m_header.end(), dump.begin())) std::abort();
    if (patch.m_terminator != kSysExEnd) std::abort();
    for (std::size_t i = 0; i < kParameterCount; ++i) {
      const auto value =
          static_cast<std::uint8_t>(dump[kHeaderSize + 2 * i] + 16 * dump[kHeaderSize + 2 * i + 1]);
      if (patch.m_values[i] != value) std::abort();
    }
    // The bank file reader takes the same bytes to the same patch.
    MemoryByteSource source(dump);
    CArchive archive(source);
    CPatch read;
    read.Serialize(archive);
    if (!read.m_bValid || read.m_values != patch.m_values) std::abort();
    // In the bank, in arrival order, each after the one before.
    const CPatch& kept = doc.PatchAt(bank, first + n);
    if (kept.m_values != patch.m_values) std::abort();
    if (!std::equal(kept.m_header.begin(), kept.m_header.begin() + kProgramByte,
                    patch.m_header.begin())) {
      std::abort();
    }
  }
  if (!dumps.empty() && doc.CurrentIndex(bank) != first + dumps.size() - 1) std::abort();
  return 0;
}
