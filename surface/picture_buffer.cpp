#include "surface/picture_buffer.h"

#include <cstdlib>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace mandeldive {

namespace {

#if defined(__linux__)
constexpr std::size_t kLargePage = std::size_t{2} << 20;
// From half a large page on, a buffer gets whole large pages: one fault
// instead of 256 or more, for at most half a page's memory more. The render
// threads' ring of columns, 1.1 MB on two threads, is the one this size: in
// large pages, a two-thread run of three ticks took 511 page faults instead
// of 930. Below it, a mapping of its own only costs a system call.
constexpr std::size_t kMappedFrom = kLargePage / 2;

std::size_t MappedBytes(std::size_t bytes) {
  return (bytes + kLargePage - 1) / kLargePage * kLargePage;
}
#endif

}  // namespace

void* AllocatePicture(std::size_t bytes) {
#if defined(__linux__)
  if (bytes >= kMappedFrom) {
    // Whole large pages, so that the end of the picture is in one too. The
    // kernel places mappings this size on a large page's boundary.
    void* memory = mmap(nullptr, MappedBytes(bytes), PROT_READ | PROT_WRITE,
                        MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED) throw std::bad_alloc();
    // Only advice: a kernel without large pages maps small ones.
    madvise(memory, MappedBytes(bytes), MADV_HUGEPAGE);
    return memory;
  }
#endif
  void* memory = std::calloc(bytes > 0 ? bytes : 1, 1);
  if (memory == nullptr) throw std::bad_alloc();
  return memory;
}

void FreePicture(void* memory, std::size_t bytes) noexcept {
#if defined(__linux__)
  if (bytes >= kMappedFrom) {
    munmap(memory, MappedBytes(bytes));
    return;
  }
#endif
  (void)bytes;
  std::free(memory);
}

}  // namespace mandeldive
