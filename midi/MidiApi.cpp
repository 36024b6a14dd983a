#include "MidiApi.h"

namespace zephyl {

std::optional<MidiApi> ParseMidiApi(std::string_view word) {
  for (const MidiApi api : {MidiApi::Alsa, MidiApi::Jack, MidiApi::None}) {
    if (word == MidiApiName(api)) return api;
  }
  return std::nullopt;
}

std::string_view MidiApiName(MidiApi api) {
  switch (api) {
    case MidiApi::Alsa:
      return "alsa";
    case MidiApi::Jack:
      return "jack";
    case MidiApi::None:
      break;
  }
  return "none";
}

}  // namespace zephyl
