#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "BreedingSettings.h"
#include "CQuensetDoc.h"

namespace zephyl {

// The number fields of the preferences dialog, in the order they are checked.
enum class PrefField { Mutation, Children, SlotA, SlotB, SlotC, SlotD, Global };
inline constexpr std::size_t kPrefFieldCount = 7;

struct PrefFieldRule {
  PrefField field;
  std::string_view label;
  std::optional<SettingRange> range;  // none: any whole number
};

inline constexpr SettingRange kChannelRange{1, kMidiChannelCount};

inline constexpr std::array<PrefFieldRule, kPrefFieldCount> kPrefFieldRules = {{
    {PrefField::Mutation, "Chance of mutation (percent)", kMutationChanceRange},
    {PrefField::Children, "Nr of children per parent", kChildrenPerParentRange},
    {PrefField::SlotA, "Slot A", kChannelRange},
    {PrefField::SlotB, "Slot B", kChannelRange},
    {PrefField::SlotC, "Slot C", kChannelRange},
    {PrefField::SlotD, "Slot D", kChannelRange},
    {PrefField::Global, "Global MIDI channel", kChannelRange},
}};

// The settings the dialog edits, as the document holds them.
struct Preferences {
  std::array<int, kPrefFieldCount> numbers{};  // indexed by PrefField
  bool explodeSyx = false;

  static Preferences From(const CQuensetDoc& doc);
  void ApplyTo(CQuensetDoc& doc) const;
  int& operator[](PrefField f) { return numbers[static_cast<std::size_t>(f)]; }
  int operator[](PrefField f) const { return numbers[static_cast<std::size_t>(f)]; }
};

// The first field refused, with the message that says why.
struct PrefRefusal {
  PrefField field;
  std::string message;
};

// A whole number as a person types it: spaces around it and a sign are fine; no fraction, no
// digits beyond what a 32-bit integer holds.
std::optional<int> ParseWholeNumber(std::string_view text);

// Checks the texts of the number fields in order; on success `out` holds their numbers.
std::optional<PrefRefusal> CheckPreferenceTexts(std::span<const std::string, kPrefFieldCount> texts,
                                                Preferences& out);

}  // namespace zephyl
