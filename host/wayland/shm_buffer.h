// One XRGB8888 picture in shared memory that the compositor reads: a
// wl_buffer over a memfd of its own. The compositor holds it from the
// commit that attaches it until it sends release; until then the program
// must not write it.
#ifndef MANDELDIVE_HOST_WAYLAND_SHM_BUFFER_H_
#define MANDELDIVE_HOST_WAYLAND_SHM_BUFFER_H_

#include <wayland-client.h>

#include <cstdint>
#include <memory>
#include <string>

#include "engine/rect.h"

namespace mandeldive {

class ShmBuffer {
 public:
  // Null with a one-line reason when the memory cannot be had.
  static std::unique_ptr<ShmBuffer> Create(wl_shm* shm, std::int32_t width,
                                           std::int32_t height,
                                           std::string* error);
  ~ShmBuffer();
  ShmBuffer(const ShmBuffer&) = delete;
  ShmBuffer& operator=(const ShmBuffer&) = delete;

  wl_buffer* buffer() const { return buffer_; }
  // Row-major, width() pixels a row, 0x00RRGGBB each.
  std::uint32_t* pixels() const { return pixels_; }
  std::int32_t width() const { return width_; }
  std::int32_t height() const { return height_; }

  // Attached and committed, and not yet released by the compositor.
  bool busy = false;
  // What of the picture changed since this buffer was last brought up to
  // date: the part to copy before it is attached again.
  Rect stale = {0, 0, 0, 0};

 private:
  ShmBuffer() = default;

  wl_buffer* buffer_ = nullptr;
  std::uint32_t* pixels_ = nullptr;
  std::size_t bytes_ = 0;
  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
};

}  // namespace mandeldive

#endif  // MANDELDIVE_HOST_WAYLAND_SHM_BUFFER_H_
