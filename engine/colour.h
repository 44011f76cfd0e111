// Colours as the engine and every drawing surface see them.
#ifndef MANDELDIVE_ENGINE_COLOUR_H_
#define MANDELDIVE_ENGINE_COLOUR_H_

#include <cstdint>

namespace mandeldive {

// A colour value laid out as 0x00BBGGRR: red in the low byte, blue in the
// third. Some escape schemes produce values with a non-zero top byte; a
// surface shows those as their low 24 bits (see ShownColour).
using ColorRef = std::uint32_t;

constexpr ColorRef MakeColour(std::uint32_t red, std::uint32_t green,
                              std::uint32_t blue) {
  return red + green * 256u + blue * 65536u;
}

constexpr std::uint32_t RedOf(ColorRef c) { return c & 0xFFu; }
constexpr std::uint32_t GreenOf(ColorRef c) { return (c >> 8) & 0xFFu; }
constexpr std::uint32_t BlueOf(ColorRef c) { return (c >> 16) & 0xFFu; }

// The colour a surface puts on screen for any value it is handed: the low 24
// bits. A value is never dropped because of its top byte.
constexpr ColorRef ShownColour(ColorRef c) { return c & 0x00FFFFFFu; }

constexpr ColorRef kYellow = 0x00FFFFu;
constexpr ColorRef kWhite = 0xFFFFFFu;
}  // namespace mandeldive

#endif  // MANDELDIVE_ENGINE_COLOUR_H_
