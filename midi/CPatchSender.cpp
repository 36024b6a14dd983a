#include "CPatchSender.h"

#include <algorithm>

namespace zephyl {

namespace {

// Channels are 1-based; the byte is 0-based.
std::uint8_t ChannelByte(int channel) {
  return channel >= 1 && channel <= kMidiChannelCount ? static_cast<std::uint8_t>(channel - 1)
                                                      : kDefaultChannel;
}

}  // namespace

Dump CPatchSender::BuildDump(const CPatch& patch, int globalChannel, int slot) {
  Dump dump = patch.ToDump();
  dump[kChannelByte] = ChannelByte(globalChannel);
  dump[kProgramByte] = static_cast<std::uint8_t>(std::clamp(slot, 0, int{kSlotCount} - 1));
  return dump;
}

void CPatchSender::OnSend(const CQuensetDoc& doc, int slot) {
  SendSysEx(BuildDump(doc.CurrentPatch(), doc.m_globalChannel, slot));
}

void CPatchSender::SendSysEx(std::span<const std::uint8_t> data) {
  m_data.assign(data.begin(), data.end());
  m_nNext = 0;
  m_bSending = true;
  OnOutputReady();
}

void CPatchSender::OnOutputReady() {
  MidiEvent event;
  event.status = kSysExStatus;
  while (m_nNext < m_data.size()) {
    event.data1 = m_data[m_nNext];
    if (!Put(event)) break;
    ++m_nNext;
  }
  m_bSending = m_nNext < m_data.size();
}

bool CPatchSender::SendShortMessage(std::uint8_t status, std::uint8_t data1, std::uint8_t data2) {
  MidiEvent event;
  event.status = status;
  event.data1 = data1;
  event.data2 = data2;
  return Put(event);
}

void CPatchSender::SendPanic() {
  for (int channel = 0; channel < kMidiChannelCount; ++channel) {
    const auto status = static_cast<std::uint8_t>(kControlChange | channel);
    SendShortMessage(status, kAllNotesOff, 0);
    SendShortMessage(status, kAllSoundOff, 0);
  }
}

}  // namespace zephyl
