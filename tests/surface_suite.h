// One suite for every drawing surface: each implementation joins it with a
// Maker type and one INSTANTIATE_TYPED_TEST_SUITE_P line.
//
// A Maker has: static std::unique_ptr<SurfaceUnderTest> Make(w, h);
// MakerOf<Under> is one for any SurfaceUnderTest made from (w, h).
#ifndef MANDELDIVE_TESTS_SURFACE_SUITE_H_
#define MANDELDIVE_TESTS_SURFACE_SUITE_H_

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <set>
#include <utility>

#include "engine/drawing_surface.h"
#include "surface/memory_surface.h"

namespace mandeldive {

class SurfaceUnderTest {
 public:
  virtual ~SurfaceUnderTest() = default;
  virtual DrawingSurface& surface() = 0;
  // What is on screen at a client pixel.
  virtual ColorRef Pixel(std::int32_t x, std::int32_t y) = 0;
  // Whether the surface can draw text at all.
  virtual bool HasText() const = 0;
};

template <typename Under>
struct MakerOf {
  static std::unique_ptr<SurfaceUnderTest> Make(std::int32_t w,
                                                std::int32_t h) {
    return std::make_unique<Under>(w, h);
  }
};

// The in-memory surface under the suite, with the text it is given.
class MemoryUnderTest : public SurfaceUnderTest {
 public:
  MemoryUnderTest(std::int32_t w, std::int32_t h,
                  std::unique_ptr<TextRasteriser> text)
      : hasText_(text != nullptr), surface_(w, h, std::move(text)) {}
  DrawingSurface& surface() override { return surface_; }
  ColorRef Pixel(std::int32_t x, std::int32_t y) override {
    return surface_.Pixel(x, y);
  }
  bool HasText() const override { return hasText_; }

 private:
  bool hasText_;
  MemorySurface surface_;
};

template <typename Maker>
class SurfaceSuite : public ::testing::Test {
 protected:
  static constexpr std::int32_t kWidth = 24;
  static constexpr std::int32_t kHeight = 16;
  void SetUp() override { under_ = Maker::Make(kWidth, kHeight); }
  DrawingSurface& surface() { return under_->surface(); }
  ColorRef Pixel(std::int32_t x, std::int32_t y) { return under_->Pixel(x, y); }
  void Paint(ColorRef colour) {
    SurfaceContext context(surface());
    for (std::int32_t y = 0; y < kHeight; ++y) {
      for (std::int32_t x = 0; x < kWidth; ++x)
        surface().SetPixel(x, y, colour);
    }
  }
  std::unique_ptr<SurfaceUnderTest> under_;
};

TYPED_TEST_SUITE_P(SurfaceSuite);

TYPED_TEST_P(SurfaceSuite, StartsWhiteWithItsClientRectangle) {
  const Rect r = this->surface().ClientRect();
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.top, 0);
  EXPECT_EQ(r.right, this->kWidth);
  EXPECT_EQ(r.bottom, this->kHeight);
  for (std::int32_t y = 0; y < this->kHeight; ++y) {
    for (std::int32_t x = 0; x < this->kWidth; ++x) {
      ASSERT_EQ(this->Pixel(x, y), kWhite) << x << "," << y;
    }
  }
}

TYPED_TEST_P(SurfaceSuite, SetPixelShowsLow24BitsAndClips) {
  DrawingSurface& s = this->surface();
  {
    SurfaceContext context(s);
    s.SetPixel(0, 0, 0x0000FF);
    s.SetPixel(23, 15, 0xFFFEDC29);  // a negative scheme value
    s.SetPixel(5, 7, 0x01123456);
    for (auto [x, y] :
         {std::pair{-1, 0}, {24, 3}, {3, -1}, {3, 16}, {24, 16}}) {
      s.SetPixel(x, y, 0x00FF00);
    }
  }
  EXPECT_EQ(this->Pixel(0, 0), 0x0000FFu);
  EXPECT_EQ(this->Pixel(23, 15), 0xFEDC29u);
  EXPECT_EQ(this->Pixel(5, 7), 0x123456u);
  EXPECT_EQ(this->Pixel(23, 3), kWhite);
  EXPECT_EQ(this->Pixel(3, 15), kWhite);
}

TYPED_TEST_P(SurfaceSuite, FrameRectDrawsTheInnerBorder) {
  DrawingSurface& s = this->surface();
  {
    SurfaceContext context(s);
    s.FrameRect({2, 3, 7, 9}, kYellow);
    s.FrameRect({20, 12, 30, 40}, 0xFF0000);  // clipped on two sides
  }
  for (std::int32_t y = 0; y < this->kHeight; ++y) {
    for (std::int32_t x = 0; x < 16; ++x) {
      const bool inRect = x >= 2 && x <= 6 && y >= 3 && y <= 8;
      const bool border = inRect && (x == 2 || x == 6 || y == 3 || y == 8);
      EXPECT_EQ(this->Pixel(x, y), border ? kYellow : kWhite) << x << "," << y;
    }
  }
  EXPECT_EQ(this->Pixel(20, 12), 0xFF0000u);
  EXPECT_EQ(this->Pixel(23, 12), 0xFF0000u);
  EXPECT_EQ(this->Pixel(20, 15), 0xFF0000u);
  EXPECT_EQ(this->Pixel(21, 13), kWhite);
  EXPECT_EQ(this->Pixel(23, 15), kWhite);
}

TYPED_TEST_P(SurfaceSuite, DrawColumnKeepsMarkedPixelsAndClips) {
  DrawingSurface& s = this->surface();
  this->Paint(0x00FF00);
  ColorRef column[20];
  for (std::int32_t i = 0; i < 20; ++i) {
    column[i] = i % 3 == 0 ? kKeepPixel : static_cast<ColorRef>(0x000010 * i);
  }
  {
    SurfaceContext context(s);
    s.DrawColumn(4, -2, column, 20);  // rows -2..17, clipped to 0..15
    s.DrawColumn(-1, 0, column, 16);
    s.DrawColumn(24, 0, column, 16);
  }
  for (std::int32_t y = 0; y < this->kHeight; ++y) {
    const std::int32_t i = y + 2;
    const ColorRef expected = i % 3 == 0 ? 0x00FF00 : 0x000010 * i;
    EXPECT_EQ(this->Pixel(4, y), expected) << y;
    EXPECT_EQ(this->Pixel(0, y), 0x00FF00u);
    EXPECT_EQ(this->Pixel(23, y), 0x00FF00u);
  }
}

TYPED_TEST_P(SurfaceSuite, ProgressMarksTheOddRowsOnly) {
  DrawingSurface& s = this->surface();
  {
    SurfaceContext context(s);
    for (std::int32_t y = 0; y < this->kHeight; ++y) {
      s.SetPixel(3, y, 0x100000 * y + 0x0203);  // a different colour a row
    }
    s.MarkProgress(3, this->kHeight);  // the last row lies beyond the client
    s.MarkProgress(5, 6);
    s.MarkProgress(7, 0);  // nothing below row 1
    s.MarkProgress(-1, 10);
    s.MarkProgress(this->kWidth, 10);
  }
  for (std::int32_t y = 0; y < this->kHeight; ++y) {
    const bool odd = y % 2 == 1;
    EXPECT_EQ(this->Pixel(3, y), odd ? kYellow : 0x100000u * y + 0x0203) << y;
    EXPECT_EQ(this->Pixel(5, y), odd && y <= 6 ? kYellow : kWhite) << y;
    EXPECT_EQ(this->Pixel(7, y), kWhite) << y;
    EXPECT_EQ(this->Pixel(0, y), kWhite) << y;
    EXPECT_EQ(this->Pixel(this->kWidth - 1, y), kWhite) << y;
  }
}

TYPED_TEST_P(SurfaceSuite, TextIsMeasuredAndDrawnTransparently) {
  if (!this->under_->HasText()) GTEST_SKIP() << "this surface draws no text";
  const FontDesc font = {12,    6, 0, 0, 100, false, false,
                         false, 1, 0, 0, 0,   0,     "Arial"};
  DrawingSurface& s = this->surface();
  this->Paint(0x000080);
  std::int32_t wide = 0, narrow = 0;
  {
    SurfaceContext context(s);
    s.SelectFont(font);
    wide = s.TextWidth("WWW");
    narrow = s.TextWidth("iii");
    s.DrawText(1, 2, "Hi", kYellow);
    s.DeselectFont();
  }
  EXPECT_GT(narrow, 0);
  EXPECT_GT(wide, narrow);
  EXPECT_LT(wide, 3 * 14);
  int yellow = 0;
  for (std::int32_t y = 0; y < this->kHeight; ++y) {
    for (std::int32_t x = 0; x < this->kWidth; ++x) {
      const ColorRef p = this->Pixel(x, y);
      if (p == kYellow) {
        ++yellow;
        EXPECT_GE(x, 1);
        EXPECT_GE(y, 2);
        EXPECT_LT(y, 2 + 12);
      } else {
        // Transparent: the background stays, at most blended with yellow.
        EXPECT_TRUE(p == 0x000080u || (p & 0xFFFF) != 0) << x << "," << y;
      }
    }
  }
  EXPECT_GT(yellow, 6);
}

REGISTER_TYPED_TEST_SUITE_P(SurfaceSuite, StartsWhiteWithItsClientRectangle,
                            SetPixelShowsLow24BitsAndClips,
                            FrameRectDrawsTheInnerBorder,
                            DrawColumnKeepsMarkedPixelsAndClips,
                            ProgressMarksTheOddRowsOnly,
                            TextIsMeasuredAndDrawnTransparently);

}  // namespace mandeldive

#endif  // MANDELDIVE_TESTS_SURFACE_SUITE_H_
