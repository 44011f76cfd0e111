// The contracts the headers state hold themselves where asserts are on: a
// breach ends the program at once instead of drawing nonsense. The
// sanitizer preset keeps asserts on and says so, so there these run.
#include <gtest/gtest.h>

#include "engine/saver_engine.h"
#include "surface/memory_surface.h"

namespace mandeldive {
namespace {

TEST(Contracts, AssertsAreOnWhereThePresetSaysSo) {
#if defined(NDEBUG)
#if defined(MANDELDIVE_EXPECT_ASSERTS)
  FAIL() << "this build is meant to keep asserts, but NDEBUG is defined";
#else
  GTEST_SKIP() << "asserts are compiled out in this build";
#endif
#endif
}

#if !defined(NDEBUG)
TEST(ContractsDeathTest, BreachesEndTheProgram) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  MemorySurface surface(8, 6);
  EXPECT_DEATH(surface.SetPixel(1, 1, 0), "between AcquireContext");
  EXPECT_DEATH(surface.MarkProgress(1, 5), "between AcquireContext");
  surface.AcquireContext();
  EXPECT_DEATH(surface.TextWidth("x"), "between SelectFont");
  surface.ReleaseContext();
  SaverEngine engine;
  EXPECT_DEATH(engine.RenderFrame(), "attached surface");
  EXPECT_DEATH(engine.ZoomStep(), "attached surface");
  EXPECT_DEATH(engine.DrawCaption(), "attached surface");
}
#endif

}  // namespace
}  // namespace mandeldive
