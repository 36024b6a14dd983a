#include "InputSplitter.h"

#include "DumpFormat.h"

namespace zephyl {

namespace {
constexpr std::uint8_t kStatusBit = 0x80;
constexpr std::uint8_t kRealTimeFirst = 0xF8;
}  // namespace

void InputSplitter::Split(std::span<const std::uint8_t> message, std::vector<MidiEvent>& events) {
  events.clear();
  if (message.empty()) return;
  const std::uint8_t first = message.front();
  // Real-time messages may come in the middle of System Exclusive without ending it.
  const bool continues = m_inSysEx && ((first & kStatusBit) == 0 || first == kSysExEnd);
  if (first == kSysExStart || continues) {
    MidiEvent event;
    event.status = kSysExStatus;
    m_inSysEx = true;
    for (const std::uint8_t byte : message) {
      event.data1 = byte;
      events.push_back(event);
      if (byte == kSysExEnd) {
        m_inSysEx = false;
        break;
      }
    }
    return;
  }
  if ((first & kStatusBit) == 0) return;
  if (first < kRealTimeFirst) m_inSysEx = false;
  MidiEvent event;
  event.status = first;
  if (message.size() > 1) event.data1 = message[1];
  if (message.size() > 2) event.data2 = message[2];
  events.push_back(event);
}

}  // namespace zephyl
