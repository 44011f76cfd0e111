// How the in-memory surface turns text into pixels. The surface itself knows
// nothing of fonts; a rasteriser opens a described font, measures text and
// reports which pixels a string covers.
#ifndef MANDELDIVE_SURFACE_TEXT_RASTERISER_H_
#define MANDELDIVE_SURFACE_TEXT_RASTERISER_H_

#include <cstdint>

#include "engine/drawing_surface.h"

namespace mandeldive {

class TextRasteriser {
 public:
  virtual ~TextRasteriser() = default;

  // Opens the nearest face to font; false when none can be had, after which
  // texts measure 0 and draw nothing.
  virtual bool Open(const FontDesc& font) = 0;
  virtual void Close() = 0;

  virtual std::int32_t Width(const char* text) = 0;

  // Calls plot(x, y) for every pixel the text covers when its cell's
  // top-left corner is at (x, y). Pixels may lie anywhere, also off-surface.
  using PlotFn = void (*)(void* target, std::int32_t x, std::int32_t y);
  virtual void Draw(std::int32_t x, std::int32_t y, const char* text,
                    PlotFn plot, void* target) = 0;
};

}  // namespace mandeldive

#endif  // MANDELDIVE_SURFACE_TEXT_RASTERISER_H_
