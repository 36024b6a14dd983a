#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "CPanelControl.h"
#include "CQuensetDoc.h"

namespace zephyl {

inline constexpr std::size_t kControlCount = 132;
inline constexpr std::size_t kSectionCount = 7;

// Control indices beyond the parameter controls (knobs 0 to 24, buttons 50 to 64).
inline constexpr std::size_t kFirstButton = kSwitchFirst;  // button i edits parameter i
inline constexpr std::size_t kLastSteppedButton = 64;      // buttons 50 to 64 step their parameter
inline constexpr std::size_t kArpDestButton = 65;
inline constexpr std::size_t kArpButton = 66;
inline constexpr std::size_t kDistButton = 67;
inline constexpr std::size_t kOctaveDownButton = 68;
inline constexpr std::size_t kMorphButton = 69;
inline constexpr std::size_t kTrigButton = 70;
inline constexpr std::size_t kPerfButton = 71;
inline constexpr std::size_t kSendButton = 72;
inline constexpr std::size_t kLastButton = kSendButton;

// Parameters that more than one control edits.
inline constexpr std::size_t kSemitonesParameter = 0;
inline constexpr std::size_t kSyncParameter = 52;  // bits 0 and 1 "sync", bit 4 "dist"
inline constexpr std::uint8_t kDistBit = 0x10;
inline constexpr std::size_t kOctaveParameter = 64;
inline constexpr std::size_t kArpParameter = 65;

// Of the "arp/dest" values, the arpeggio modes; the others are destinations.
constexpr bool IsArpeggioMode(std::uint8_t value) {
  return value == 0 || value == 1 || value == 2 || value == 5 || value == 6;
}

enum class Section : std::size_t {
  Lfo1,
  Lfo2,
  Oscillators,
  Amplifier,
  ModEnvelope,
  Filter,
  Portamento,
};

// The panel's geometry and labels, fixed once built. Only the lights of the "morph" and
// "trig" buttons change afterwards.
struct PanelTables {
  std::array<CPanelControl, kControlCount> controls;
  std::array<CPanelControl, kSlotCount> slotButtons;
  std::array<PanelPoint, kSectionCount> sectionOrigin;

  static PanelTables Build();

  PanelPoint Origin(Section s) const { return sectionOrigin[static_cast<std::size_t>(s)]; }
};

// The area a slot selector's light and button cover, redrawn when the selection changes.
PanelRect SlotRedrawRect(const CPanelControl& selector);

}  // namespace zephyl
