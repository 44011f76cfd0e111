#include "host/wayland/shm_buffer.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace mandeldive {

namespace {

const wl_buffer_listener kBufferListener = {
    [](void* self, wl_buffer* buffer) {
      static_cast<ShmBuffer*>(self)->busy = false;
      (void)buffer;
    },
};

}  // namespace

std::unique_ptr<ShmBuffer> ShmBuffer::Create(wl_shm* shm, std::int32_t width,
                                             std::int32_t height,
                                             std::string* error) {
  // wl_shm's sizes and strides are 32-bit signed: 8192 x 8192 and a bit
  // more fit, and no output is larger.
  const std::int64_t bytes = std::int64_t{width} * height * 4;
  if (width <= 0 || height <= 0 || bytes > INT32_MAX) {
    *error = "an output of " + std::to_string(width) + "x" +
             std::to_string(height) + " pixels is too large to draw";
    return nullptr;
  }
  const int fd = memfd_create("mandeldive", MFD_CLOEXEC);
  if (fd < 0) {
    *error = std::string("cannot make shared memory: ") + std::strerror(errno);
    return nullptr;
  }
  std::unique_ptr<ShmBuffer> b(new ShmBuffer);
  void* mapped = MAP_FAILED;
  if (ftruncate(fd, static_cast<off_t>(bytes)) == 0) {
    mapped = mmap(nullptr, static_cast<std::size_t>(bytes),
                  PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  }
  if (mapped == MAP_FAILED) {
    *error = "not enough memory for a " + std::to_string(width) + "x" +
             std::to_string(height) + " picture";
    close(fd);
    return nullptr;
  }
  b->pixels_ = static_cast<std::uint32_t*>(mapped);
  b->bytes_ = static_cast<std::size_t>(bytes);
  b->width_ = width;
  b->height_ = height;
  wl_shm_pool* pool =
      wl_shm_create_pool(shm, fd, static_cast<std::int32_t>(bytes));
  b->buffer_ = wl_shm_pool_create_buffer(pool, 0, width, height, width * 4,
                                         WL_SHM_FORMAT_XRGB8888);
  // The buffer keeps the memory; the pool and our descriptor are done.
  wl_shm_pool_destroy(pool);
  close(fd);
  wl_buffer_add_listener(b->buffer_, &kBufferListener, b.get());
  // A new buffer holds nothing of the picture yet.
  b->stale = {0, 0, width, height};
  return b;
}

ShmBuffer::~ShmBuffer() {
  if (buffer_ != nullptr) wl_buffer_destroy(buffer_);
  if (pixels_ != nullptr) munmap(pixels_, bytes_);
}

}  // namespace mandeldive
