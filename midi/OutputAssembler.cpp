#include "OutputAssembler.h"

#include "DumpFormat.h"

namespace zephyl {

std::size_t OutputAssembler::ShortLength(std::uint8_t status) {
  switch (status & 0xF0) {
    case 0xC0:
    case 0xD0:
      return 2;
    case 0xF0:
      break;
    default:
      return 3;
  }
  switch (status) {
    case 0xF1:
    case 0xF3:
      return 2;
    case 0xF2:
      return 3;
    default:
      return 1;
  }
}

bool OutputAssembler::Add(const MidiEvent& event, Message& message) {
  if (event.status != kSysExStatus) {
    const std::uint8_t bytes[] = {event.status, event.data1, event.data2};
    m_ready.assign(bytes, bytes + ShortLength(event.status));
    message = {m_ready, false};
    return true;
  }
  // A new message while one is unfinished (its send was abandoned): the unfinished one never
  // reaches the wire, where it would only be a broken message. Nor does the rest of a message
  // that a reset dropped.
  if (event.data1 == kSysExStart) {
    m_sysEx.clear();
    m_inMessage = true;
  }
  if (!m_inMessage) return false;
  m_sysEx.push_back(event.data1);
  const bool ends = event.data1 == kSysExEnd;
  if (ends) m_inMessage = false;
  if (!ends && m_sysEx.size() < m_maxChunk) return false;
  m_ready.swap(m_sysEx);
  m_sysEx.clear();
  message = {m_ready, ends};
  return true;
}

}  // namespace zephyl
