#pragma once

#include <cstdint>

#include "CQuensetDoc.h"

namespace zephyl {

// A channel message of a status byte and two data bytes.
struct ShortMessage {
  std::uint8_t status = 0;
  std::uint8_t data1 = 0;
  std::uint8_t data2 = 0;

  friend bool operator==(const ShortMessage&, const ShortMessage&) = default;
};

// The note the panel's "trig" button sounds while it is held, on the channel of the slot chosen
// when it was pressed.
class TestNote {
 public:
  static constexpr std::uint8_t kKey = 64;
  static constexpr std::uint8_t kVelocity = 64;

  // The note on for `slot` (0 to 3 for A to D); its channel is kept for the note off.
  ShortMessage On(const CQuensetDoc& doc, int slot);
  // Ends the note last turned on where it sounds, whatever slot is chosen meanwhile.
  ShortMessage Off() const;

 private:
  std::uint8_t m_channel = 0;
};

}  // namespace zephyl
