#include "InputFilter.h"

#include "DumpFormat.h"
#include "OutputAssembler.h"

namespace zephyl {

namespace {

constexpr std::uint8_t kStatusBit = 0x80;
constexpr std::uint8_t kRealTimeFirst = 0xF8;
constexpr std::uint8_t kClock = 0xF8;
constexpr std::uint8_t kActiveSensing = 0xFE;
constexpr std::uint8_t kSystemCommonFirst = 0xF0;

void Count(std::atomic<std::uint64_t>& counter) {
  counter.store(counter.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
}

}  // namespace

void InputFilter::Feed(std::span<const std::uint8_t> bytes, MidiEventSink& sink) {
  for (const std::uint8_t byte : bytes) {
    if (byte >= kRealTimeFirst) {
      // Between the bytes of any message, and part of none.
      if (byte != kClock && byte != kActiveSensing) Emit({0, byte, 0, 0, 0}, sink);
    } else if (byte & kStatusBit) {
      StatusByte(byte, sink);
    } else if (m_state == State::SysEx) {
      SysExByte(byte, sink);
    } else if (m_state == State::Short) {
      (m_shortHave == 0 ? m_short.data1 : m_short.data2) = byte;
      if (++m_shortHave == m_shortNeeded) {
        m_state = State::Idle;
        Emit(m_short, sink);
      }
    } else if (m_state == State::Idle && m_runningStatus != 0) {
      StatusByte(m_runningStatus, sink);
      Feed(std::span(&byte, 1), sink);
    }
    // Data bytes of a message being skipped, or of none, go nowhere.
  }
}

void InputFilter::StatusByte(std::uint8_t status, MidiEventSink& sink) {
  if (status == kSysExEnd) {
    if (m_state == State::SysEx) SysExByte(status, sink);
    if (m_state == State::Skipping) m_state = State::Idle;
    return;
  }
  if (status == kSysExStart) {
    m_state = State::SysEx;
    m_sysExBytes = 0;
    m_runningStatus = 0;
    SysExByte(status, sink);
    return;
  }
  m_runningStatus = status < kSystemCommonFirst ? status : 0;
  m_short = {0, status, 0, 0, 0};
  m_shortNeeded = OutputAssembler::ShortLength(status) - 1;
  m_shortHave = 0;
  m_state = State::Short;
  if (m_shortNeeded == 0) {
    m_state = State::Idle;
    Emit(m_short, sink);
  }
}

void InputFilter::SysExByte(std::uint8_t byte, MidiEventSink& sink) {
  // A message ends with its end byte at `m_maxSysEx` at the latest.
  if (byte != kSysExEnd && m_sysExBytes + 1 >= m_maxSysEx) {
    Count(m_oversize);
    m_state = State::Skipping;
    return;
  }
  ++m_sysExBytes;
  if (byte == kSysExEnd) m_state = State::Idle;
  if (!sink.Push({0, kSysExStatus, byte, 0, 0})) {
    Count(m_dropped);
    // The rest of it would only be a broken message.
    if (m_state == State::SysEx) m_state = State::Skipping;
  }
}

void InputFilter::Emit(const MidiEvent& event, MidiEventSink& sink) {
  if (!sink.Push(event)) Count(m_dropped);
}

}  // namespace zephyl
