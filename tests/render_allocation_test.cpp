// RenderFrame allocates nothing: every allocation of this program is
// counted, and none may happen inside a render pass.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <vector>

#include "engine/saver_engine.h"
#include "surface/memory_surface.h"

namespace {
long allocations = 0;
}  // namespace

void* operator new(std::size_t size) {
  ++allocations;
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace mandeldive {
namespace {

TEST(RenderAllocation, RenderPassesAllocateNothing) {
  MemorySurface surface(1200, 700);
  FixedClock clock(77);
  SaverEngine engine;
  engine.clock = &clock;
  engine.mandelbrotColor = 8;
  engine.backgroundColor = 9;
  engine.Attach(&surface);
  engine.ResetView();
  const long before = allocations;
  engine.RenderFrame();
  engine.ZoomStep();
  engine.RenderFrame();
  engine.RenderFrameLiteral();
  EXPECT_EQ(allocations, before);
  // The counter works: a vector allocates.
  std::vector<int>* probe = new std::vector<int>(3);
  delete probe;
  EXPECT_GT(allocations, before);
}

}  // namespace
}  // namespace mandeldive
