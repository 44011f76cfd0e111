// The two fixed lists of colour schemes: one for points inside the set, one
// for escaping points. Their labels are the settings dialog's.
#ifndef MANDELDIVE_ENGINE_COLOUR_SCHEMES_H_
#define MANDELDIVE_ENGINE_COLOUR_SCHEMES_H_

#include <cstdint>

#include "engine/colour.h"
#include "engine/escape_iterate.h"

namespace mandeldive {

// A colour computed from a point's iteration result. Flat schemes ignore it.
using SchemeColourFn = ColorRef (*)(const EscapeResult& point);

struct ColourScheme {
  const char* label;
  SchemeColourFn colour;
};

constexpr std::uint32_t kInsideSchemeCount = 9;
constexpr std::uint32_t kEscapeSchemeCount = 15;

extern const ColourScheme kInsideSchemes[kInsideSchemeCount];
extern const ColourScheme kEscapeSchemes[kEscapeSchemeCount];

// The scheme of an index, or null when the index is out of range (a number
// from a hand-edited registry): such a scheme draws nothing.
inline const ColourScheme* InsideScheme(std::uint32_t index) {
  return index < kInsideSchemeCount ? &kInsideSchemes[index] : nullptr;
}
inline const ColourScheme* EscapeScheme(std::uint32_t index) {
  return index < kEscapeSchemeCount ? &kEscapeSchemes[index] : nullptr;
}

// trunc(v) toward zero as a 64-bit integer, keeping its low 32 bits. Values
// beyond the 64-bit range (and NaN) give 0, as the x86 conversion's
// "integer indefinite" result does, so every target agrees.
std::int32_t TruncLow32(double v);

// A colour channel from a coordinate: |trunc(v x 255)| mod 255, 0..254.
std::uint32_t Channel(double v);

}  // namespace mandeldive

#endif  // MANDELDIVE_ENGINE_COLOUR_SCHEMES_H_
