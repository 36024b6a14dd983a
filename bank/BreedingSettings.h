#pragma once

#include <limits>

namespace zephyl {

// The whole numbers a setting may hold, both ends included.
struct SettingRange {
  int min = 0;
  int max = 0;

  constexpr bool Holds(int value) const { return value >= min && value <= max; }
  // Whether the setting has no upper end of its own.
  constexpr bool Unbounded() const { return max == std::numeric_limits<int>::max(); }
};

// What the breeding settings may be, wherever they are set. At 0 percent children are
// crossovers alone; at 100 every parameter that may mutate does.
inline constexpr SettingRange kMutationChanceRange{0, 100};
// No children would only wipe the next bank. The size of a whole generation is bounded (see
// kMaxGenerationSize), not the children of one parent.
inline constexpr SettingRange kChildrenPerParentRange{1, std::numeric_limits<int>::max()};

}  // namespace zephyl
