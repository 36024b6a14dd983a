#include "PanelTables.h"

#include <optional>
#include <string_view>

namespace zephyl {

namespace {

constexpr int kKnobLift = 2;  // knobs sit this much above their grid point
constexpr int kKnobSize = 21;
constexpr int kButtonWidth = 21;
constexpr int kButtonHeight = 10;
constexpr int kSlotWidth = 20;
constexpr int kSlotHeight = 10;
constexpr PanelPoint kFirstSlot{50, 180};

struct Placement {
  std::optional<Section> section;  // none: a fixed point
  PanelPoint offset;
  std::string_view label;
};

constexpr std::array<Placement, kKnobCount> kKnobs = {{
    {Section::Oscillators, {40, 0}, "semitones"}, {Section::Oscillators, {40, 50}, "fine"},
    {Section::Oscillators, {80, 100}, "mix"},     {Section::Filter, {0, 50}, "freq"},
    {Section::Filter, {40, 50}, "res"},           {Section::Filter, {80, 50}, "env am"},
    {Section::Oscillators, {0, 100}, "PW"},       {Section::Oscillators, {0, 50}, "FM am"},
    {Section::Filter, {0, 0}, "attack"},          {Section::Filter, {40, 0}, "decay"},
    {Section::Filter, {80, 0}, "sustain"},        {Section::Filter, {120, 0}, "release"},
    {Section::Amplifier, {0, 0}, "attack"},       {Section::Amplifier, {40, 0}, "decay"},
    {Section::Amplifier, {80, 0}, "sustain"},     {Section::Amplifier, {120, 0}, "release"},
    {Section::Portamento, {0, 0}, "portam"},      {Section::Amplifier, {160, 0}, "gain"},
    {Section::ModEnvelope, {0, 0}, "attack"},     {Section::ModEnvelope, {40, 0}, "decay"},
    {Section::ModEnvelope, {120, 0}, "amount"},   {Section::Lfo1, {0, 0}, "rate"},
    {Section::Lfo1, {120, 0}, "amount"},          {Section::Lfo2, {0, 0}, "rate"},
    {Section::Lfo2, {120, 0}, "amount"},
}};

constexpr std::array<Placement, kLastButton - kFirstButton + 1> kButtons = {{
    {Section::Oscillators, {0, 10}, "wave"},
    {Section::Oscillators, {80, 10}, "wave"},
    {Section::Oscillators, {40, 110}, "sync"},
    {Section::Filter, {160, 10}, "filter"},
    {Section::Oscillators, {80, 60}, "kbd"},
    {Section::Filter, {137, 60}, "kbd"},
    {Section::Lfo1, {40, 10}, "wave"},
    {Section::Lfo1, {80, 10}, "dest"},
    {std::nullopt, {270, 180}, "voice"},
    {Section::Portamento, {30, 50}, "modwheel"},
    {std::nullopt, {240, 180}, "unison"},
    {Section::ModEnvelope, {80, 10}, "dest"},
    {Section::Portamento, {30, 10}, "auto"},
    {Section::Filter, {110, 60}, "vel"},
    // The blanks push the visible letters left of the button, between the two octave buttons.
    {std::nullopt, {90, 210}, "octshift       "},
    {Section::Lfo2, {80, 10}, "arp/dest"},
    {Section::Lfo2, {40, 10}, "arp"},
    {Section::Filter, {164, 60}, "dist"},
    {std::nullopt, {70, 210}, ""},
    {std::nullopt, {4, 20}, "morph"},
    {std::nullopt, {4, 60}, "trig"},
    {std::nullopt, {4, 100}, "perf"},
    {std::nullopt, {4, 130}, "send"},
}};

PanelPoint Place(const PanelTables& t, const Placement& p) {
  if (!p.section) return p.offset;
  const PanelPoint origin = t.Origin(*p.section);
  return {origin.x + p.offset.x, origin.y + p.offset.y};
}

}  // namespace

PanelTables PanelTables::Build() {
  PanelTables t;
  t.sectionOrigin = {{{40, 20}, {40, 70}, {210, 20}, {340, 20}, {40, 120}, {340, 70}, {160, 170}}};

  for (std::size_t s = 0; s < kSlotCount; ++s) {
    CPanelControl& slot = t.slotButtons[s];
    slot.m_x = kFirstSlot.x + kSlotWidth * static_cast<int>(s);
    slot.m_y = kFirstSlot.y;
    slot.m_hitRect = {slot.m_x, slot.m_y, slot.m_x + kSlotWidth, slot.m_y + kSlotHeight};
  }

  for (std::size_t k = 0; k < kKnobCount; ++k) {
    CPanelControl& knob = t.controls[k];
    const PanelPoint at = Place(t, kKnobs[k]);
    knob.m_kind = CPanelControl::kKnob;
    knob.m_x = at.x;
    knob.m_y = at.y - kKnobLift;
    knob.m_hitRect = {knob.m_x, knob.m_y, knob.m_x + kKnobSize, knob.m_y + kKnobSize};
    knob.m_label = kKnobs[k].label;
  }
  // The octave light above "semitones".
  CPanelControl& semitones = t.controls[kSemitonesParameter];
  semitones.m_indicatorRect = {semitones.m_x, semitones.m_y - 20, semitones.m_x + 20,
                               semitones.m_y - 1};

  for (std::size_t b = kFirstButton; b <= kLastButton; ++b) {
    CPanelControl& button = t.controls[b];
    const Placement& placement = kButtons[b - kFirstButton];
    const PanelPoint at = Place(t, placement);
    button.m_kind = CPanelControl::kButton;
    button.m_x = at.x;
    button.m_y = at.y;
    button.m_hitRect = {at.x, at.y, at.x + kButtonWidth, at.y + kButtonHeight};
    button.m_indicatorRect = {at.x - 10, at.y - 21, at.x + 31, at.y - 1};
    button.m_label = placement.label;
  }
  return t;
}

PanelRect SlotRedrawRect(const CPanelControl& selector) {
  return {selector.m_x, selector.m_y - kSlotHeight, selector.m_x + kSlotWidth,
          selector.m_y + kSlotHeight};
}

}  // namespace zephyl
