#pragma once

#include <span>
#include <vector>

#include "CMidiOutPort.h"
#include "CQuensetDoc.h"

namespace zephyl {

// The view's output port. Sends a block of System Exclusive bytes one event per byte, as fast
// as the library takes them: a refusal pauses the send until the output-ready notification.
// It sends a copy of the block, so nothing that happens to the caller's bytes meanwhile (an
// incoming message filling the transfer buffer) reaches the wire.
class CPatchSender : public CMidiOutPort {
 public:
  static constexpr std::uint8_t kControlChange = 0xB0;
  static constexpr std::uint8_t kAllSoundOff = 120;
  static constexpr std::uint8_t kAllNotesOff = 123;

  using CMidiOutPort::CMidiOutPort;

  // The Send command: the program dump of the current patch of the current bank, on the
  // document's global channel, for the panel's slot (0 to 3 for A to D).
  void OnSend(const CQuensetDoc& doc, int slot);
  // Abandons a send still unfinished.
  void SendSysEx(std::span<const std::uint8_t> data);
  // One short message; it neither waits for nor disturbs a System Exclusive send.
  bool SendShortMessage(std::uint8_t status, std::uint8_t data1, std::uint8_t data2);
  // All Notes Off, then All Sound Off, on each of the 16 channels: whatever still sounds stops.
  void SendPanic();

  bool IsSending() const { return m_bSending; }
  // True when nothing is left to send and the device has taken everything.
  bool IsDone() const { return !m_bSending && IsIdle(); }

  // The dump Send transmits.
  static Dump BuildDump(const CPatch& patch, int globalChannel, int slot);

 protected:
  void OnOutputReady() override;

 private:
  std::vector<std::uint8_t> m_data;
  std::size_t m_nNext = 0;
  bool m_bSending = false;
};

}  // namespace zephyl
