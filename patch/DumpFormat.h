#pragma once

#include <cstddef>
#include <cstdint>

namespace zephyl {

// Layout of one program dump, the 139-byte System Exclusive message that carries a patch.
inline constexpr std::size_t kParameterCount = 66;
inline constexpr std::size_t kHeaderSize = 6;
inline constexpr std::size_t kDumpSize = kHeaderSize + 2 * kParameterCount + 1;
static_assert(kDumpSize == 139);

inline constexpr std::uint8_t kSysExStart = 0xF0;
inline constexpr std::uint8_t kSysExEnd = 0xF7;
inline constexpr std::uint8_t kManufacturerId = 0x33;
inline constexpr std::uint8_t kDefaultChannel = 0x0F;
inline constexpr std::uint8_t kDefaultModelId = 0x04;

// Header byte positions.
inline constexpr std::size_t kChannelByte = 2;
inline constexpr std::size_t kProgramByte = 5;

// Parameter groups: 25 knobs, the morph amount of each knob, then switches and selectors.
inline constexpr std::size_t kKnobCount = 25;
inline constexpr std::size_t kMorphFirst = kKnobCount;
inline constexpr std::size_t kSwitchFirst = kMorphFirst + kKnobCount;
inline constexpr std::size_t kGainParameter = 17;

}  // namespace zephyl
