// A read-only picture of shown colours in either memory order, so that a
// writer reads the in-memory surface's columns and a plain row-major buffer
// alike.
#ifndef MANDELDIVE_SURFACE_PIXEL_VIEW_H_
#define MANDELDIVE_SURFACE_PIXEL_VIEW_H_

#include <cstddef>
#include <cstdint>

#include "engine/colour.h"

namespace mandeldive {

struct PixelView {
  const ColorRef* pixels;
  std::int32_t width;
  std::int32_t height;
  std::ptrdiff_t xStride;  // elements from (x, y) to (x + 1, y)
  std::ptrdiff_t yStride;  // elements from (x, y) to (x, y + 1)

  ColorRef At(std::int32_t x, std::int32_t y) const {
    return pixels[x * xStride + y * yStride];
  }

  static PixelView RowMajor(const ColorRef* pixels, std::int32_t width,
                            std::int32_t height) {
    return {pixels, width, height, 1, width};
  }
  static PixelView ColumnMajor(const ColorRef* pixels, std::int32_t width,
                               std::int32_t height) {
    return {pixels, width, height, height, 1};
  }
};

}  // namespace mandeldive

#endif  // MANDELDIVE_SURFACE_PIXEL_VIEW_H_
