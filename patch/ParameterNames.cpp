#include "ParameterNames.h"

#include <array>
#include <cstdint>

#include "DumpFormat.h"

namespace zephyl {

namespace {

constexpr std::string_view kLfo1 = "LFO 1";
constexpr std::string_view kLfo2 = "LFO 2";
constexpr std::string_view kOscillators = "Oscillators";
constexpr std::string_view kAmplifier = "Amplifier";
constexpr std::string_view kModEnvelope = "Mod envelope";
constexpr std::string_view kFilter = "Filter";
constexpr std::string_view kPortamento = "Portamento";

constexpr std::array<ParameterName, kKnobCount> kKnobs = {{
    {kOscillators, "semitones"},
    {kOscillators, "fine"},
    {kOscillators, "mix"},
    {kFilter, "freq"},
    {kFilter, "res"},
    {kFilter, "env am"},
    {kOscillators, "PW"},
    {kOscillators, "FM am"},
    {kFilter, "attack"},
    {kFilter, "decay"},
    {kFilter, "sustain"},
    {kFilter, "release"},
    {kAmplifier, "attack"},
    {kAmplifier, "decay"},
    {kAmplifier, "sustain"},
    {kAmplifier, "release"},
    {kPortamento, "portam"},
    {kAmplifier, "gain"},
    {kModEnvelope, "attack"},
    {kModEnvelope, "decay"},
    {kModEnvelope, "amount"},
    {kLfo1, "rate"},
    {kLfo1, "amount"},
    {kLfo2, "rate"},
    {kLfo2, "amount"},
}};

constexpr std::array<ParameterName, kParameterCount - kSwitchFirst> kSwitches = {{
    {kOscillators, "wave (left)"},
    {kOscillators, "wave (right)"},
    {kOscillators, "sync"},
    {kFilter, "filter"},
    {kOscillators, "kbd"},
    {kFilter, "kbd"},
    {kLfo1, "wave"},
    {kLfo1, "dest"},
    {{}, "voice"},
    {kPortamento, "modwheel"},
    {{}, "unison"},
    {kModEnvelope, "dest"},
    {kPortamento, "auto"},
    {kFilter, "vel"},
    {{}, "octshift"},
    {kLfo2, "arp/dest"},
}};

}  // namespace

ParameterName NameOfParameter(std::size_t index) {
  if (index < kMorphFirst) return kKnobs[index];
  if (index < kSwitchFirst) return kKnobs[index - kMorphFirst];
  return kSwitches[index - kSwitchFirst];
}

std::string DisplayName(std::size_t index) {
  const ParameterName name = NameOfParameter(index);
  std::string text(name.section);
  if (!text.empty()) text += ' ';
  text += name.label;
  if (IsMorphAmount(index)) text += " morph";
  return text;
}

bool IsMorphAmount(std::size_t index) {
  return index >= kMorphFirst && index < kSwitchFirst;
}

int DisplayValue(std::size_t index, std::uint8_t value) {
  return IsMorphAmount(index) ? static_cast<std::int8_t>(value) : value;
}

}  // namespace zephyl
