#pragma once

#include <optional>
#include <string_view>

namespace zephyl {

// The MIDI system the library talks to: the ALSA sequencer (the way to instruments on a Linux
// desktop), JACK, or none at all.
enum class MidiApi { Alsa, Jack, None };

// "alsa", "jack" or "none"; nothing for any other word.
std::optional<MidiApi> ParseMidiApi(std::string_view word);
std::string_view MidiApiName(MidiApi api);

// The environment variable that forces an API.
inline constexpr const char* kMidiApiVariable = "ZEPHYL_MIDI_API";

}  // namespace zephyl
