#pragma once

#include "PanelGeometry.h"

namespace zephyl {

// The numeric displays at the panel's lower left, one above the other: each a caption in the
// label font with its number below in the display font. Everything a display draws lies in its
// area, which holds the widest number it shows; a changed number repaints that area.
inline constexpr int kDisplayFontHeight = 16;  // the number's cell
inline constexpr int kDisplayLeft = 10;
// The number's cell begins inside the caption's, below the caption's letters.
inline constexpr int kDisplayNumberDrop = 10;

struct PanelDisplay {
  PanelRect area;

  constexpr PanelPoint Caption() const { return {area.left, area.top}; }
  constexpr PanelPoint Number() const { return {area.left, area.top + kDisplayNumberDrop}; }
};

constexpr PanelDisplay DisplayAt(int top, int width) {
  return {{kDisplayLeft, top, kDisplayLeft + width, top + kDisplayNumberDrop + kDisplayFontHeight}};
}

// The parameter's value ("-128  " at its widest), the bank's number and the patch's, which grows
// with the bank.
inline constexpr PanelDisplay kValueDisplay = DisplayAt(160, 40);
inline constexpr PanelDisplay kBankDisplay = DisplayAt(190, 40);
inline constexpr PanelDisplay kPatchDisplay = DisplayAt(220, 140);

}  // namespace zephyl
