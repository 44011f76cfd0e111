#include "engine/escape_iterate.h"

#include <cmath>

namespace mandeldive {

EscapeResult EscapeIterate(double x, double y) {
  double zr = x;
  double zi = y;
  std::int32_t n = 1;
  for (;;) {
    const double nextZr = zr * zr - zi * zi + x;
    const double nextZi = 2.0 * zr * zi + y;
    zr = nextZr;
    zi = nextZi;
    if (std::sqrt(zr * zr + zi * zi) > 2.0) return {false, zr, zi, n};
    ++n;
    if (n >= kInsideCount) return {true, zr, zi, kInsideCount};
  }
}

}  // namespace mandeldive
