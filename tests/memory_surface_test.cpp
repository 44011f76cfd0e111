#include "surface/memory_surface.h"

#include <memory>

#include "tests/surface_suite.h"

namespace mandeldive {
namespace {

struct PlainMemory final : MemoryUnderTest {
  PlainMemory(std::int32_t w, std::int32_t h)
      : MemoryUnderTest(w, h, nullptr) {}
};

INSTANTIATE_TYPED_TEST_SUITE_P(Memory, SurfaceSuite, MakerOf<PlainMemory>);

TEST(MemorySurface, EmptyClientAreaTakesEveryCallQuietly) {
  MemorySurface surface(0, 0);
  SurfaceContext context(surface);
  surface.SetPixel(0, 0, kYellow);
  surface.FrameRect({0, 0, 5, 5}, kYellow);
  const ColorRef column[2] = {1, 2};
  surface.DrawColumn(0, 0, column, 2);
  surface.SelectFont({});
  EXPECT_EQ(surface.TextWidth("abc"), 0);
  surface.DrawText(0, 0, "abc", kYellow);
  surface.DeselectFont();
  EXPECT_TRUE(surface.pixels().empty());
}

}  // namespace
}  // namespace mandeldive
