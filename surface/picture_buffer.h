// Picture-sized arrays: a surface's pixels, a picture filtered or packed for
// a file. Where the kernel offers large pages (Linux's transparent huge
// pages, 2 MiB), they back these: a 1920x1080 picture is then four pages
// instead of two thousand, and the first touch of each page is a fault that
// a virtual machine may take ten microseconds or more to serve, which for
// two thousand pages takes longer than filling the picture. Elsewhere they
// are plain heap arrays.
#ifndef MANDELDIVE_SURFACE_PICTURE_BUFFER_H_
#define MANDELDIVE_SURFACE_PICTURE_BUFFER_H_

#include <cstddef>
#include <type_traits>
#include <utility>

namespace mandeldive {

// bytes of zeroed memory, aligned for any type; throws std::bad_alloc.
void* AllocatePicture(std::size_t bytes);
// Gives back what AllocatePicture(bytes) returned.
void FreePicture(void* memory, std::size_t bytes) noexcept;

template <typename T>
class PictureBuffer {
  static_assert(std::is_trivial<T>::value, "pictures are plain values");

 public:
  PictureBuffer() = default;
  // count zeroed elements.
  explicit PictureBuffer(std::size_t count)
      : data_(static_cast<T*>(AllocatePicture(count * sizeof(T)))),
        size_(count) {}
  PictureBuffer(PictureBuffer&& other) noexcept
      : data_(std::exchange(other.data_, nullptr)),
        size_(std::exchange(other.size_, 0)) {}
  PictureBuffer& operator=(PictureBuffer&& other) noexcept {
    std::swap(data_, other.data_);
    std::swap(size_, other.size_);
    return *this;
  }
  ~PictureBuffer() {
    if (data_ != nullptr) FreePicture(data_, size_ * sizeof(T));
  }

  T* data() { return data_; }
  const T* data() const { return data_; }
  std::size_t size() const { return size_; }
  T* begin() { return data_; }
  T* end() { return data_ + size_; }
  T& operator[](std::size_t i) { return data_[i]; }
  const T& operator[](std::size_t i) const { return data_[i]; }

 private:
  T* data_ = nullptr;
  std::size_t size_ = 0;
};

}  // namespace mandeldive

#endif  // MANDELDIVE_SURFACE_PICTURE_BUFFER_H_
