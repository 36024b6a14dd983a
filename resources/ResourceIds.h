#pragma once

#include <array>
#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace zephyl {

// The panel's pictures by resource number, the one place the numbers are written. The panel
// finds its pictures by them, the generator names each picture's file in resources/bitmaps/
// after its number and name ("130-knob-00.bmp"), and the build embeds those files.
inline constexpr std::size_t kKnobFrameCount = 40;
inline constexpr int kFirstKnobFrameResource = 130;  // frame i is kFirstKnobFrameResource + i
inline constexpr int kButtonResource = 172;
inline constexpr int kLampLitResource = 174;
inline constexpr int kLampDarkResource = 175;
inline constexpr int kLogoResource = 181;
// The display pictures: waves, words and the voice modes.
inline constexpr int kSineResource = 182;
inline constexpr int kTriangleResource = 183;
inline constexpr int kSawtoothResource = 184;
inline constexpr int kPulseResource = 185;
inline constexpr int kNoiseResource = 186;
inline constexpr int kHp24dbResource = 187;
inline constexpr int kBpResource = 188;
inline constexpr int kLp24dbResource = 189;
inline constexpr int kNotchResource = 190;
inline constexpr int kLp12dbResource = 191;
inline constexpr int kRandomStepsResource = 192;
inline constexpr int kSmoothRandomResource = 193;
inline constexpr int kSquareResource = 194;
inline constexpr int kFallingRampResource = 195;
inline constexpr int kDashesResource = 196;
inline constexpr int kTwoThirdsResource = 197;
inline constexpr int kFullResource = 198;
inline constexpr int kOneThirdResource = 199;
inline constexpr int kDownResource = 200;
inline constexpr int kUpAndDownResource = 201;
inline constexpr int kUpResource = 202;
inline constexpr int kRandomResource = 203;
inline constexpr int kEchoResource = 204;
inline constexpr int kOsc12Resource = 205;
inline constexpr int kOsc2Resource = 206;
inline constexpr int kAmpResource = 207;
inline constexpr int kFilterResource = 208;
inline constexpr int kMorphResource = 209;
inline constexpr int kFmResource = 210;
inline constexpr int kPwResource = 211;
inline constexpr int kLfo1Resource = 212;
inline constexpr int kMonoResource = 213;
inline constexpr int kLegatoResource = 214;
inline constexpr int kPolyResource = 216;

struct NamedResource {
  int id = 0;
  std::string_view name;
};

// Every picture but the knob frames, whose files are "knob-00" to "knob-39".
inline constexpr auto kNamedResources = std::to_array<NamedResource>({
    {kButtonResource, "button"},
    {kLampLitResource, "lamp-lit"},
    {kLampDarkResource, "lamp-dark"},
    {kLogoResource, "logo"},
    {kSineResource, "sine"},
    {kTriangleResource, "triangle"},
    {kSawtoothResource, "sawtooth"},
    {kPulseResource, "pulse"},
    {kNoiseResource, "noise"},
    {kHp24dbResource, "hp24db"},
    {kBpResource, "bp"},
    {kLp24dbResource, "lp24db"},
    {kNotchResource, "notch"},
    {kLp12dbResource, "lp12db"},
    {kRandomStepsResource, "random-steps"},
    {kSmoothRandomResource, "smooth-random"},
    {kSquareResource, "square"},
    {kFallingRampResource, "falling-ramp"},
    {kDashesResource, "dashes"},
    {kTwoThirdsResource, "2-3"},
    {kFullResource, "full"},
    {kOneThirdResource, "1-3"},
    {kDownResource, "down"},
    {kUpAndDownResource, "u-and-d"},
    {kUpResource, "up"},
    {kRandomResource, "random"},
    {kEchoResource, "echo"},
    {kOsc12Resource, "osc-1-2"},
    {kOsc2Resource, "osc-2"},
    {kAmpResource, "amp"},
    {kFilterResource, "filter"},
    {kMorphResource, "morph"},
    {kFmResource, "fm"},
    {kPwResource, "pw"},
    {kLfo1Resource, "lfo-1"},
    {kMonoResource, "mono"},
    {kLegatoResource, "legato"},
    {kPolyResource, "poly"},
});

inline constexpr std::size_t kResourceCount = kKnobFrameCount + kNamedResources.size();

// Numbers rise through the table, past the knob frames: none is given twice.
static_assert([] {
  int last = kFirstKnobFrameResource + static_cast<int>(kKnobFrameCount) - 1;
  for (const NamedResource& r : kNamedResources) {
    if (r.id <= last) return false;
    last = r.id;
  }
  return true;
}());

// Every resource number, the knob frames first.
inline std::vector<int> AllResourceIds() {
  std::vector<int> ids;
  ids.reserve(kResourceCount);
  for (std::size_t k = 0; k < kKnobFrameCount; ++k) {
    ids.push_back(kFirstKnobFrameResource + static_cast<int>(k));
  }
  for (const NamedResource& r : kNamedResources) ids.push_back(r.id);
  return ids;
}

// The name of resource `id`'s file, or an empty string when there is no such resource.
inline std::string ResourceFileName(int id) {
  const int frame = id - kFirstKnobFrameResource;
  if (frame >= 0 && frame < static_cast<int>(kKnobFrameCount)) {
    char name[32];
    std::snprintf(name, sizeof name, "%d-knob-%02d.bmp", id, frame);
    return name;
  }
  for (const NamedResource& r : kNamedResources) {
    if (r.id == id) return std::to_string(id) + "-" + std::string(r.name) + ".bmp";
  }
  return {};
}

}  // namespace zephyl
