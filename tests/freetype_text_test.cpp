// The in-memory surface with real text through fontconfig and FreeType.
#include "surface/freetype_text.h"

#include <memory>

#include "engine/saver_engine.h"
#include "surface/memory_surface.h"
#include "tests/surface_suite.h"

namespace mandeldive {
namespace {

struct TextMemory final : MemoryUnderTest {
  TextMemory(std::int32_t w, std::int32_t h)
      : MemoryUnderTest(w, h, MakeFreeTypeText()) {}
};

INSTANTIATE_TYPED_TEST_SUITE_P(FreeTypeMemory, SurfaceSuite,
                               MakerOf<TextMemory>);

TEST(FreeTypeText, ArialResolvesToAMetricCompatibleFace) {
  // Arial's advances at a 12-pixel cell: 'W' is much wider than 'i', and a
  // caption of 14 characters is some 60..90 pixels wide.
  MemorySurface surface(10, 10, MakeFreeTypeText());
  SurfaceContext context(surface);
  surface.SelectFont(kCaptionFont);
  const std::int32_t caption = surface.TextWidth(MANDELDIVE_CAPTION_TEXT);
  EXPECT_GE(caption, 50);
  EXPECT_LE(caption, 90);
  EXPECT_EQ(surface.TextWidth(""), 0);
  EXPECT_EQ(surface.TextWidth("ab") + surface.TextWidth("cd"),
            surface.TextWidth("abcd"));
  surface.DeselectFont();
  EXPECT_EQ(surface.openFonts(), 0);
}

TEST(FreeTypeText, CaptionDrawnTwiceIsTheSameAndStaysInItsRows) {
  MemorySurface surface(200, 40, MakeFreeTypeText());
  SaverEngine engine;
  engine.Attach(&surface);
  surface.Fill(0x402010);
  engine.DrawCaption();
  const auto once = surface.pixels();
  engine.DrawCaption();
  EXPECT_EQ(surface.pixels(), once);
  int yellow = 0;
  for (std::int32_t y = 0; y < 40; ++y) {
    for (std::int32_t x = 0; x < 200; ++x) {
      const ColorRef p = surface.Pixel(x, y);
      if (p == kYellow) {
        ++yellow;
        EXPECT_GE(y, 26);  // height - 14
      } else {
        EXPECT_EQ(p, 0x402010u);
      }
    }
  }
  EXPECT_GT(yellow, 40);
}

}  // namespace
}  // namespace mandeldive
