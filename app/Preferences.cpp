#include "Preferences.h"

#include <charconv>
#include <cstdint>

namespace zephyl {

namespace {

bool IsSpace(char c) {
  return c == ' ' || c == '\t';
}

// Built by appending: GCC 12 at -O3 sees a false overlap (-Wrestrict) in "literal" + string.
std::string RangeMessage(const PrefFieldRule& rule) {
  std::string message = "\"";
  message.append(rule.label).append("\" must be a whole number");
  if (rule.range && rule.range->Unbounded()) {
    message.append(" of ").append(std::to_string(rule.range->min)).append(" or more");
  } else if (rule.range) {
    message.append(" from ").append(std::to_string(rule.range->min));
    message.append(" to ").append(std::to_string(rule.range->max));
  }
  return message.append(".");
}

}  // namespace

Preferences Preferences::From(const CQuensetDoc& doc) {
  Preferences p;
  p[PrefField::Mutation] = doc.m_mutationChance;
  p[PrefField::Children] = doc.m_childrenPerParent;
  for (std::size_t s = 0; s < kSlotCount; ++s) {
    p.numbers[static_cast<std::size_t>(PrefField::SlotA) + s] = doc.m_slotChannel[s];
  }
  p[PrefField::Global] = doc.m_globalChannel;
  p.explodeSyx = doc.m_bExplodeSyx;
  return p;
}

void Preferences::ApplyTo(CQuensetDoc& doc) const {
  doc.m_mutationChance = (*this)[PrefField::Mutation];
  doc.m_childrenPerParent = (*this)[PrefField::Children];
  for (std::size_t s = 0; s < kSlotCount; ++s) {
    doc.m_slotChannel[s] = numbers[static_cast<std::size_t>(PrefField::SlotA) + s];
  }
  doc.m_globalChannel = (*this)[PrefField::Global];
  doc.m_bExplodeSyx = explodeSyx;
}

std::optional<int> ParseWholeNumber(std::string_view text) {
  while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
  if (text.size() > 1 && text.front() == '+' && text[1] != '-') text.remove_prefix(1);
  std::int32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc{} || end != text.data() + text.size()) {
    return std::nullopt;
  }
  return value;
}

std::optional<PrefRefusal> CheckPreferenceTexts(std::span<const std::string, kPrefFieldCount> texts,
                                                Preferences& out) {
  Preferences checked = out;
  for (std::size_t i = 0; i < kPrefFieldCount; ++i) {
    const PrefFieldRule& rule = kPrefFieldRules[i];
    const std::optional<int> value = ParseWholeNumber(texts[i]);
    const bool inRange = value && (!rule.range || rule.range->Holds(*value));
    if (!inRange) return PrefRefusal{rule.field, RangeMessage(rule)};
    checked.numbers[i] = *value;
  }
  out = checked;
  return std::nullopt;
}

}  // namespace zephyl
