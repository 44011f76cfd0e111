// Something drawn over an output's buffers but never into its picture: the
// engine's picture stays the renderer's, and only the copy the compositor
// is shown carries it. The locker's feedback is one.
#ifndef MANDELDIVE_HOST_WAYLAND_BUFFER_OVERLAY_H_
#define MANDELDIVE_HOST_WAYLAND_BUFFER_OVERLAY_H_

#include <cstdint>

#include "engine/rect.h"

namespace mandeldive {

// The longest side, in device pixels, of a buffer an output is drawn in:
// sizes are worked out in 64 bits and anything longer is refused, so no
// product of a compositor's sizes and scales overflows.
constexpr std::int32_t kMostBufferSide = 32767;

class BufferOverlay {
 public:
  // The rectangle it covers on a picture of width x height device pixels
  // shown at `scale` device pixels a surface pixel (rounded); empty when
  // nothing is shown, or when the box at that scale would be longer than
  // kMostBufferSide.
  virtual Rect Area(std::int32_t width, std::int32_t height,
                    std::int32_t scale) const = 0;
  // Draws over pixels (row-major XRGB8888, `stride` pixels a row), whose
  // Area has just been copied afresh from the picture.
  virtual void Draw(std::uint32_t* pixels, std::int32_t stride,
                    std::int32_t width, std::int32_t height,
                    std::int32_t scale) const = 0;

 protected:
  ~BufferOverlay() = default;
};

}  // namespace mandeldive

#endif  // MANDELDIVE_HOST_WAYLAND_BUFFER_OVERLAY_H_
