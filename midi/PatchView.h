#pragma once

namespace zephyl {

// The view the receiver redraws after a dump has become the current patch.
class PatchView {
 public:
  virtual ~PatchView() = default;
  // Redraws the whole view, background included.
  virtual void InvalidateAll() = 0;
};

}  // namespace zephyl
