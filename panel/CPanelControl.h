#pragma once

#include <cstdint>
#include <string>

#include "PanelGeometry.h"

namespace zephyl {

// One control of the drawn panel. Knobs 0 to 24 and buttons 50 to 64 edit the parameter of
// their own index; an entry of kind 0 is empty and takes no press.
class CPanelControl {
 public:
  static constexpr char kKnob = 'k';
  static constexpr char kButton = 'b';

  char m_kind = 0;
  // The two-state light of the "morph", "trig" and "perf" buttons; unused elsewhere.
  std::uint8_t m_state = 0;
  std::string m_label;
  PanelRect m_hitRect;
  // Where the control shows its state outside the hit rectangle; redrawn when that changes.
  PanelRect m_indicatorRect;
  // Top-left corner of the knob picture or of the button.
  int m_x = 0;
  int m_y = 0;
};

}  // namespace zephyl
