#include <cassert>

#include "engine/colour_schemes.h"
#include "engine/escape_iterate.h"
#include "engine/saver_engine.h"

namespace mandeldive {

void SaverEngine::RenderFrameLiteral() {
  assert(window != nullptr && "RenderFrameLiteral needs an attached surface");
  SurfaceContext context(*window);
  ClearCounts();
  const std::int32_t width = client.right;
  const std::int32_t height = client.bottom;
  const ColourScheme* inside = InsideScheme(mandelbrotColor);
  const ColourScheme* escaped = EscapeScheme(backgroundColor);
  // x accumulates across the whole pass and y afresh in every column: the
  // rounding of these long sums is part of the picture. The last column and
  // row lie just outside the client area; they are clipped but counted.
  double x = originX;
  for (std::int32_t i = 0; i <= width; ++i) {
    for (std::int32_t j = 1; j <= height; j += 2)
      window->SetPixel(i, j, kYellow);
    x += step;
    double y = originY;
    for (std::int32_t j = 0; j <= height; ++j) {
      y += step;
      const EscapeResult point = EscapeIterate(x, y);
      if (point.inside) {
        if (inside != nullptr) window->SetPixel(i, j, inside->colour(point));
        CountPixel(i, j);
      } else if (escaped != nullptr) {
        window->SetPixel(i, j, escaped->colour(point));
      }
    }
  }
}

}  // namespace mandeldive
