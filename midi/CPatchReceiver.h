#pragma once

#include <string_view>

#include "CMidiInPort.h"
#include "CQuensetDoc.h"
#include "PatchView.h"

namespace zephyl {

// The view's input port. In receive mode it collects System Exclusive bytes in the document's
// transfer buffer; every complete 139-byte message with the manufacturer id becomes a patch
// after the current one of the current bank. Other messages are dropped, and so is a message
// whose end byte never came: the start byte of the next one begins a message afresh.
class CPatchReceiver : public CMidiInPort {
 public:
  // The block grows in steps, so that a long message costs one resize per step.
  static constexpr std::size_t kGrowStep = 8192;
  // A message that grows past this never ends: it is dropped, and collection starts again at
  // the next message.
  static constexpr std::size_t kMaxMessageSize = std::size_t{1} << 20;

  using CMidiInPort::CMidiInPort;

  // The Receive command: tells the receiver where patches go and what to redraw, and switches
  // receive mode on or off.
  void OnReceive(CQuensetDoc& doc, PatchView& view);
  // The Receive item's text, which follows the mode.
  std::string_view ReceiveItemText() const;

  void StartReceiving(CQuensetDoc& transfer);
  void StopReceiving() { m_bReceiving = false; }
  bool IsReceiving() const { return m_bReceiving; }

 protected:
  bool OnMidiEvent(const MidiEvent& event) override;

 private:
  void AddSysExByte(const MidiEvent& event);
  void Accept();
  void EndMessage();

  CQuensetDoc* m_pDoc = nullptr;
  PatchView* m_pView = nullptr;
  CQuensetDoc* m_pTransfer = nullptr;  // whose transfer buffer collects the bytes
  bool m_bReceiving = false;
  bool m_bDiscarding = false;  // the message in progress grew too long
};

}  // namespace zephyl
