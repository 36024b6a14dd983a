#pragma once

#include <array>
#include <cstddef>
#include <span>

#include "CDib.h"

namespace zephyl {

inline constexpr std::size_t kKnobFrameCount = 40;
inline constexpr int kFirstKnobFrameResource = 130;
inline constexpr int kButtonResource = 172;
inline constexpr int kLampLitResource = 174;
inline constexpr int kLampDarkResource = 175;
inline constexpr int kLogoResource = 181;

// Every picture of the panel, attached in place to the program's embedded bitmaps. The display
// pictures come in sets that the drawing pass picks from by parameter value.
class PanelPictures {
 public:
  // Resource numbers of each set's elements, in element order.
  static constexpr std::array<int, 3> kVoiceModes = {213, 214, 216};
  static constexpr std::array<int, 8> kDestinations = {208, 207, 206, 205, 209, 210, 211, 212};
  static constexpr std::array<int, 5> kArpeggios = {200, 202, 201, 203, 204};
  static constexpr std::array<int, 4> kTrackings = {196, 199, 197, 198};
  static constexpr std::array<int, 5> kLfoWaves = {192, 195, 183, 194, 193};
  static constexpr std::array<int, 5> kOscillatorWaves = {185, 184, 183, 182, 186};
  static constexpr std::array<int, 5> kFilters = {191, 189, 187, 188, 190};

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
