#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "engine/saver_engine.h"
#include "surface/memory_surface.h"

namespace mandeldive {
namespace {

// Text 7 pixels a character whose glyphs are one pixel at the cell's
// top-left corner, and a record of the font it was asked for.
class BlockText final : public TextRasteriser {
 public:
  explicit BlockText(FontDesc* seen) : seen_(seen) {}
  bool Open(const FontDesc& font) override {
    *seen_ = font;
    return true;
  }
  void Close() override {}
  std::int32_t Width(const char* text) override {
    return 7 * static_cast<std::int32_t>(std::strlen(text));
  }
  void Draw(std::int32_t x, std::int32_t y, const char*, PlotFn plot,
            void* target) override {
    plot(target, x, y);
  }

 private:
  FontDesc* seen_;
};

struct CaptionCase {
  std::int32_t width, height;
  const char* caption;
  std::int32_t x, y;  // where the text's corner lands
};

const CaptionCase kCaptions[] = {
    {800, 600, "abcd", 386, 586},      // (800 - 28) / 2
    {801, 600, "abcd", 386, 586},      // (801 - 28) / 2 rounds toward zero
    {20, 30, "abcdefghij", -25, 16},   // wider than the window
    {20, 30, "abcdefghijk", -28, 16},  // (20 - 77) / 2 = -28 toward zero
    {100, 10, "ab", 43, -4},           // 10 pixels high: starts above
};

TEST(DrawCaption, CentredAtTheBottomInTheCaptionFont) {
  for (const CaptionCase& c : kCaptions) {
    SCOPED_TRACE(c.caption);
    FontDesc seen{};
    MemorySurface surface(c.width, c.height,
                          std::make_unique<BlockText>(&seen));
    SaverEngine engine(c.caption);
    engine.Attach(&surface);
    surface.Fill(0x123456);
    engine.DrawCaption();
    int yellow = 0;
    for (std::int32_t y = 0; y < c.height; ++y) {
      for (std::int32_t x = 0; x < c.width; ++x) {
        const ColorRef p = surface.Pixel(x, y);
        if (p == kYellow) {
          ++yellow;
          EXPECT_EQ(x, c.x);
          EXPECT_EQ(y, c.y);
        } else {
          EXPECT_EQ(p, 0x123456u);  // no background box
        }
      }
    }
    const bool visible = c.x >= 0 && c.y >= 0;
    EXPECT_EQ(yellow, visible ? 1 : 0);
    EXPECT_EQ(seen.height, 12);
    EXPECT_EQ(seen.width, 6);
    EXPECT_EQ(seen.weight, 100);
    EXPECT_EQ(seen.charSet, 1);
    EXPECT_FALSE(seen.italic || seen.underline || seen.strikeOut);
    EXPECT_STREQ(seen.face, "Arial");
    EXPECT_EQ(surface.openFonts(), 0);
    EXPECT_EQ(surface.openContexts(), 0);
  }
}

TEST(DrawCaption, TwiceInARowDrawsOverItself) {
  FontDesc seen{};
  MemorySurface surface(200, 100, std::make_unique<BlockText>(&seen));
  SaverEngine engine;
  engine.Attach(&surface);
  engine.DrawCaption();
  const auto once = surface.pixels();
  engine.DrawCaption();
  EXPECT_EQ(surface.pixels(), once);
}

TEST(DrawCaption, CaptionIsOneShortAsciiLineNamingTheProgram) {
  const std::string text = MANDELDIVE_CAPTION_TEXT;
  EXPECT_NE(text.find("mandeldive"), std::string::npos);
  EXPECT_EQ(std::string(MANDELDIVE_CAPTION_LABEL), " " + text + " ");
  for (char c : text) EXPECT_TRUE(c >= 0x20 && c < 0x7F);
}

}  // namespace
}  // namespace mandeldive
