#pragma once

#include <array>
#include <cstddef>
#include <span>

#include "CDib.h"
#include "ResourceIds.h"

namespace zephyl {

// Every picture of the panel, attached in place to the program's embedded bitmaps. The display
// pictures come in sets that the drawing pass picks from by parameter value.
class PanelPictures {
 public:
  // Resource numbers of each set's elements, in element order.
  static constexpr std::array kVoiceModes = {kMonoResource, kLegatoResource, kPolyResource};
  static constexpr std::array kDestinations = {kFilterResource, kAmpResource,   kOsc2Resource,
                                               kOsc12Resource,  kMorphResource, kFmResource,
                                               kPwResource,     kLfo1Resource};
  static constexpr std::array kArpeggios = {kDownResource, kUpResource, kUpAndDownResource,
                                            kRandomResource, kEchoResource};
  static constexpr std::array kTrackings = {kDashesResource, kOneThirdResource, kTwoThirdsResource,
                                            kFullResource};
  static constexpr std::array kLfoWaves = {kRandomStepsResource, kFallingRampResource,
                                           kTriangleResource, kSquareResource,
                                           kSmoothRandomResource};
  static constexpr std::array kOscillatorWaves = {kPulseResource, kSawtoothResource,
                                                  kTriangleResource, kSineResource, kNoiseResource};
  static constexpr std::array kFilters = {kLp12dbResource, kLp24dbResource, kHp24dbResource,
                                          kBpResource, kNotchResource};

  // Attaches every picture to its embedded bitmap; false when any is missing or damaged, each
  // failure reported through `messages`.
  bool AttachAll(DibMessages& messages);

  // The display picture of resource `id`, or null when no set holds it.
  const CDib* Display(int id) const;

  std::array<CDib, kKnobFrameCount> knobFrames;
  std::array<CDib, kVoiceModes.size()> voiceModes;
  std::array<CDib, kDestinations.size()> destinations;
  std::array<CDib, kArpeggios.size()> arpeggios;
  std::array<CDib, kTrackings.size()> trackings;
  std::array<CDib, kLfoWaves.size()> lfoWaves;
  std::array<CDib, kOscillatorWaves.size()> oscillatorWaves;
  std::array<CDib, kFilters.size()> filters;
  CDib logo;
  CDib lampLit;
  CDib lampDark;
  CDib button;

 private:
  struct Set {
    std::span<const int> ids;
    std::span<const CDib> pictures;
  };
  std::array<Set, 7> Sets() const;
};

}  // namespace zephyl
