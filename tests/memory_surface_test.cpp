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

// A long render shows its progress from the observer (the web page posts
// the picture from it), so the observer must see the column's marks set.
TEST(MemorySurface, ColumnObserverSeesTheMarksOfItsColumn) {
  MemorySurface surface(4, 6);
  struct Seen {
    MemorySurface* surface;
    std::int32_t x = -1;
    ColorRef marks[3] = {};
  } seen{&surface};
  surface.SetColumnObserver(
      [](void* context, std::int32_t x) {
        Seen* s = static_cast<Seen*>(context);
        s->x = x;
        if (x >= s->surface->width()) return;
        for (int i = 0; i < 3; ++i)
          s->marks[i] = s->surface->Pixel(x, 1 + 2 * i);
      },
      &seen);
  SurfaceContext context(surface);
  surface.MarkProgress(2, 5);
  EXPECT_EQ(seen.x, 2);
  for (const ColorRef mark : seen.marks) EXPECT_EQ(mark, kYellow);
  surface.MarkProgress(7, 5);  // off the surface: observed all the same
  EXPECT_EQ(seen.x, 7);
}

}  // namespace
}  // namespace mandeldive
