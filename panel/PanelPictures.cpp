#include "PanelPictures.h"

#include "BitmapResources.h"

namespace zephyl {

namespace {

bool Attach(CDib& picture, int id, DibMessages& messages) {
  return picture.AttachMemory(FindBitmap(id), messages);
}

template <std::size_t N>
bool AttachSet(std::array<CDib, N>& set, const std::array<int, N>& ids, DibMessages& messages) {
  bool ok = true;
  for (std::size_t i = 0; i < N; ++i) ok = Attach(set[i], ids[i], messages) && ok;
  return ok;
}

}  // namespace

bool PanelPictures::AttachAll(DibMessages& messages) {
  bool ok = true;
  for (std::size_t k = 0; k < kKnobFrameCount; ++k) {
    ok = Attach(knobFrames[k], kFirstKnobFrameResource + static_cast<int>(k), messages) && ok;
  }
  ok = AttachSet(voiceModes, kVoiceModes, messages) && ok;
  ok = AttachSet(destinations, kDestinations, messages) && ok;
  ok = AttachSet(arpeggios, kArpeggios, messages) && ok;
  ok = AttachSet(trackings, kTrackings, messages) && ok;
  ok = AttachSet(lfoWaves, kLfoWaves, messages) && ok;
  ok = AttachSet(oscillatorWaves, kOscillatorWaves, messages) && ok;
  ok = AttachSet(filters, kFilters, messages) && ok;
  ok = Attach(logo, kLogoResource, messages) && ok;
  ok = Attach(lampLit, kLampLitResource, messages) && ok;
  ok = Attach(lampDark, kLampDarkResource, messages) && ok;
  ok = Attach(button, kButtonResource, messages) && ok;
  return ok;
}

std::array<PanelPictures::Set, 7> PanelPictures::Sets() const {
  return {{{kVoiceModes, voiceModes},
           {kDestinations, destinations},
           {kArpeggios, arpeggios},
           {kTrackings, trackings},
           {kLfoWaves, lfoWaves},
           {kOscillatorWaves, oscillatorWaves},
           {kFilters, filters}}};
}

const CDib* PanelPictures::Display(int id) const {
  for (const Set& set : Sets()) {
    for (std::size_t i = 0; i < set.ids.size(); ++i) {
      if (set.ids[i] == id) return &set.pictures[i];
    }
  }
  return nullptr;
}

}  // namespace zephyl
