#pragma once

#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

namespace zephyl::cli {

// What a numeric option takes, so that a refusal says it in plain words:
// "1.5" is not a whole percent from 0 to 100
struct WholeNumberRule {
  static constexpr std::int64_t kNoLimit = std::numeric_limits<std::int64_t>::max();

  std::int64_t min = 0;
  std::int64_t max = kNoLimit;
  std::string_view noun = "number";  // "a whole <noun> from ..."
  std::string_view note = {};        // said after the range, in brackets

  // "a whole number from 1 to 16"
  std::string Allowed() const;
  // "1 to 16", "1 or more": for the help
  std::string Bounds() const;
  // Empty when `text` is a whole number within the rule; else why it is refused.
  std::string Refusal(std::string_view text) const;
};

}  // namespace zephyl::cli
