#pragma once

namespace zephyl {

// Pixels of the panel: origin top-left, y downwards.
struct PanelPoint {
  int x = 0;
  int y = 0;

  friend bool operator==(const PanelPoint&, const PanelPoint&) = default;
};

// Left and top inside, right and bottom outside.
struct PanelRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  bool Contains(PanelPoint p) const {
    return left <= p.x && p.x < right && top <= p.y && p.y < bottom;
  }
  bool IsEmpty() const { return right <= left || bottom <= top; }

  friend bool operator==(const PanelRect&, const PanelRect&) = default;
};

}  // namespace zephyl
