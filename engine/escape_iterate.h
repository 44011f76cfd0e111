// The escape-time iteration z <- z^2 + c, exactly as the pictures define it.
#ifndef MANDELDIVE_ENGINE_ESCAPE_ITERATE_H_
#define MANDELDIVE_ENGINE_ESCAPE_ITERATE_H_

#include <cstdint>

namespace mandeldive {

// At most this many iterates are computed; n is this for a point inside.
constexpr std::int32_t kInsideCount = 100;

struct EscapeResult {
  bool inside;  // no iterate left the radius 2
  double zr;    // the escaping iterate, or the 99th for a point inside
  double zi;
  std::int32_t n;  // 1..99 for an escaped point, kInsideCount inside
};

// Iterates from c = x + iy in plain IEEE double arithmetic, every operation
// rounded on its own. An escaped point's n is the index k of the first
// iterate z_k (z_0 = c, never tested) with |z_k| > 2; |z| == 2 stays inside.
// This literal version is the oracle every faster kernel is checked against.
EscapeResult EscapeIterate(double x, double y);

}  // namespace mandeldive

#endif  // MANDELDIVE_ENGINE_ESCAPE_ITERATE_H_
