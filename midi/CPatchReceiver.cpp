#include "CPatchReceiver.h"

#include <algorithm>
#include <new>

namespace zephyl {

namespace {
constexpr std::size_t kManufacturerByte = 1;
}

void CPatchReceiver::OnReceive(CQuensetDoc& doc, PatchView& view) {
  m_pView = &view;
  m_pDoc = &doc;
  if (m_bReceiving) {
    m_bReceiving = false;
  } else {
    StartReceiving(doc);
  }
}

std::string_view CPatchReceiver::ReceiveItemText() const {
  return m_bReceiving ? "Stop &Receiving" : "&Receive";
}

void CPatchReceiver::StartReceiving(CQuensetDoc& transfer) {
  m_pTransfer = &transfer;
  m_bReceiving = true;
  m_bDiscarding = false;
  transfer.m_transferCount = 0;
}

bool CPatchReceiver::OnMidiEvent(const MidiEvent& event) {
  if (event.status == kSysExStatus) AddSysExByte(event);
  return true;
}

void CPatchReceiver::AddSysExByte(const MidiEvent& event) {
  if (!m_bReceiving || m_pTransfer == nullptr) return;
  const std::uint8_t byte = event.data1;
  if (m_bDiscarding) {
    // The overlong message ends at its end byte or at the start of the next message.
    if (byte == kSysExEnd) {
      m_bDiscarding = false;
      return;
    }
    if (byte != kSysExStart) return;
    m_bDiscarding = false;
  }
  std::vector<std::uint8_t>& block = m_pTransfer->m_transferBuf;
  std::size_t& count = m_pTransfer->m_transferCount;
  // A start byte inside a message means its end was lost: it is dropped alone, and the message
  // that starts here is collected whole.
  if (byte == kSysExStart && count > 0) EndMessage();
  if (count == block.size()) {
    bool grown = count < kMaxMessageSize;
    if (grown) {
      try {
        block.resize(std::min(block.size() + kGrowStep, kMaxMessageSize));
      } catch (const std::bad_alloc&) {
        grown = false;
      }
    }
    if (!grown) {
      // Dropped here; the rest of it up to its end byte is skipped.
      EndMessage();
      m_bDiscarding = byte != kSysExEnd;
      return;
    }
  }
  block[count++] = byte;
  if (byte != kSysExEnd) return;
  if (count == kDumpSize && block[kManufacturerByte] == kManufacturerId) Accept();
  EndMessage();
}

void CPatchReceiver::Accept() {
  const std::vector<std::uint8_t>& block = m_pTransfer->m_transferBuf;
  CPatch patch;
  std::copy_n(block.begin(), kHeaderSize, patch.m_header.begin());
  for (std::size_t i = 0; i < kParameterCount; ++i) {
    patch.m_values[i] =
        static_cast<std::uint8_t>(block[kHeaderSize + 2 * i] + 16 * block[kHeaderSize + 2 * i + 1]);
  }
  patch.m_terminator = block[kDumpSize - 1];
  if (m_pDoc == nullptr || m_pView == nullptr) return;
  m_pView->InsertReceived(*m_pDoc, patch);
  m_pView->InvalidateAll();
}

void CPatchReceiver::EndMessage() {
  m_pTransfer->m_transferCount = 0;
  // A long message's block goes back to the size of one dump, as the document made it.
  std::vector<std::uint8_t>& block = m_pTransfer->m_transferBuf;
  if (block.size() > kDumpSize) {
    block.resize(kDumpSize);
    block.shrink_to_fit();
  }
}

}  // namespace zephyl
