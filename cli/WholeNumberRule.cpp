#include "WholeNumberRule.h"

#include <charconv>

namespace zephyl::cli {

std::string WholeNumberRule::Allowed() const {
  std::string allowed = "a whole ";
  allowed.append(noun).append(" from ").append(std::to_string(min));
  if (max != kNoLimit) allowed.append(" to ").append(std::to_string(max));
  if (!note.empty()) allowed.append(" (").append(note).append(")");
  return allowed;
}

std::string WholeNumberRule::Bounds() const {
  return std::to_string(min) + (max == kNoLimit ? " or more" : " to " + std::to_string(max));
}

std::string WholeNumberRule::Refusal(std::string_view text) const {
  std::int64_t value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (!text.empty() && error == std::errc{} && stop == end && value >= min && value <= max) {
    return {};
  }
  std::string refusal = "\"";
  refusal.append(text).append("\" is not ").append(Allowed());
  return refusal;
}

}  // namespace zephyl::cli
