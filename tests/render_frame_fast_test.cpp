// The column-wise render pass against the literal pixel-by-pixel one: the
// same pictures, the same counts, and the same states on screen at the end
// of every column.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "engine/colour_schemes.h"
#include "engine/saver_engine.h"
#include "surface/memory_surface.h"

namespace mandeldive {
namespace {

// Lends a pass "threads" that compute columns out of order, last first:
// the pass on workers must not depend on the order columns are done in.
// Without a ring, every column at Start; with a ring of a few slots, at
// each WaitFor every column whose slot is free, so columns wrap around it.
class ReversedWorkers final : public ColumnWorkers {
 public:
  explicit ReversedWorkers(std::int32_t ring = 0) : ring_(ring) {}
  ColorRef* Colours(std::int32_t columns, std::int32_t rows,
                    std::int32_t* slots) override {
    *slots = ring_ > 0 && ring_ < columns ? ring_ : columns;
    slots_ = *slots;
    colours_.resize(static_cast<std::size_t>(*slots) * rows);
    return colours_.data();
  }
  void Start(std::int32_t count, Compute compute, void* context) override {
    count_ = count;
    compute_ = compute;
    context_ = context;
    done_ = 0;
    if (ring_ == 0) ComputeUpTo(count);
  }
  void WaitFor(std::int32_t column) override {
    ComputeUpTo(std::min(count_, column + slots_));
  }
  void Finish() override {}

 private:
  // Columns done_ .. end - 1, last first.
  void ComputeUpTo(std::int32_t end) {
    for (std::int32_t i = end - 1; i >= done_; --i) compute_(context_, i);
    done_ = std::max(done_, end);
  }

  std::int32_t ring_;
  std::int32_t slots_ = 0;
  std::int32_t count_ = 0;
  std::int32_t done_ = 0;
  Compute compute_ = nullptr;
  void* context_ = nullptr;
  std::vector<ColorRef> colours_;
};

struct Pair {
  Pair(std::int32_t w, std::int32_t h, std::uint32_t inside,
       std::uint32_t escape)
      : fastSurface(w, h), literalSurface(w, h) {
    for (SaverEngine* e : {&fast, &literal}) {
      e->mandelbrotColor = inside;
      e->backgroundColor = escape;
    }
    fast.Attach(&fastSurface);
    literal.Attach(&literalSurface);
  }
  void SetView(double x, double y, double step) {
    for (SaverEngine* e : {&fast, &literal}) {
      e->originX = x;
      e->originY = y;
      e->step = step;
    }
  }
  void Render() {
    fast.RenderFrame();
    literal.RenderFrameLiteral();
  }
  void ExpectSame() {
    ASSERT_EQ(fastSurface.pixels(), literalSurface.pixels());
    for (std::int32_t k = 0; k < kMaxCells; ++k) {
      ASSERT_EQ(fast.cells[k].count, literal.cells[k].count) << "cell " << k;
    }
  }
  MemorySurface fastSurface, literalSurface;
  SaverEngine fast, literal;
};

TEST(RenderFrameFast, EverySchemePairMatchesTheLiteralPass) {
  for (std::uint32_t inside = 0; inside <= kInsideSchemeCount; ++inside) {
    for (std::uint32_t escape = 0; escape <= kEscapeSchemeCount; ++escape) {
      SCOPED_TRACE(testing::Message() << inside << "/" << escape);
      Pair p(41, 29, inside, escape);
      p.SetView(-2.5, -1.5, 4.0 / 41);
      p.fastSurface.Fill(0x336699);  // out-of-range schemes leave this
      p.literalSurface.Fill(0x336699);
      p.Render();
      p.ExpectSame();
    }
  }
}

TEST(RenderFrameFast, WholeDivesAndOddSizesMatchTheLiteralPass) {
  struct {
    std::int32_t w, h;
    std::uint32_t inside, escape;
    std::int64_t second;
  } const dives[] = {
      {160, 120, 8, 12, 5}, {97, 1030, 7, 13, 99}, {1, 1, 0, 0, 1},
      {3, 700, 0, 14, 2},   {600, 2, 1, 7, 3},     {0, 50, 0, 0, 1},
      {211, 0, 0, 0, 1},    {6, 4400, 8, 9, 4},  // columns longer than the
                                                 // pass's chunk of rows
  };
  ReversedWorkers whole, ring(3);
  for (const auto& d : dives) {
    for (ColumnWorkers* lent : {static_cast<ColumnWorkers*>(nullptr),
                                static_cast<ColumnWorkers*>(&whole),
                                static_cast<ColumnWorkers*>(&ring)}) {
      SCOPED_TRACE(testing::Message()
                   << d.w << "x" << d.h
                   << (lent == &whole  ? " on workers"
                       : lent == &ring ? " on workers with a ring"
                                       : ""));
      Pair p(d.w, d.h, d.inside, d.escape);
      p.fast.columnWorkers = lent;
      FixedClock clock(d.second);
      p.fast.clock = p.literal.clock = &clock;
      for (int tick = 0; tick < 23; ++tick) {
        const bool render = p.fast.phase == PhaseRender;
        if (render) {
          if (p.fast.zoomLevel == 1) {
            p.fast.ResetView();
            p.literal.ResetView();
          }
          p.Render();
          p.fast.phase = p.literal.phase = PhaseCaption;
          p.ExpectSame();
        } else {
          p.fast.Tick();
          p.literal.Tick();
          ASSERT_EQ(p.fast.originX, p.literal.originX);
          ASSERT_EQ(p.fast.step, p.literal.step);
        }
      }
    }
  }
}

// Forwards to a memory surface and checks, each time a column's progress
// marks go out, that the picture is exactly what the literal pass shows at
// that moment: columns before it final, itself marked, the rest untouched.
class WatchingSurface final : public DrawingSurface {
 public:
  WatchingSurface(std::int32_t w, std::int32_t h,
                  const std::vector<ColorRef>& final)
      : inner_(w, h), final_(final) {}
  Rect ClientRect() const override { return inner_.ClientRect(); }
  void AcquireContext() override { inner_.AcquireContext(); }
  void ReleaseContext() override { inner_.ReleaseContext(); }
  void SetPixel(std::int32_t x, std::int32_t y, ColorRef c) override {
    inner_.SetPixel(x, y, c);
  }
  void DrawColumn(std::int32_t x, std::int32_t top, const ColorRef* c,
                  std::int32_t n) override {
    inner_.DrawColumn(x, top, c, n);
  }
  void MarkProgress(std::int32_t x, std::int32_t lastRow) override {
    inner_.MarkProgress(x, lastRow);
    ++marks;
    for (std::int32_t y = 0; y < inner_.height(); ++y) {
      for (std::int32_t i = 0; i < inner_.width(); ++i) {
        const std::size_t at = static_cast<std::size_t>(y) * inner_.width() + i;
        const ColorRef expected = i < x                  ? final_[at]
                                  : i == x && y % 2 == 1 ? kYellow
                                                         : kWhite;
        if (inner_.Pixel(i, y) != expected) {
          ADD_FAILURE() << "at the marks of column " << x << ", pixel " << i
                        << "," << y;
          return;
        }
      }
    }
  }
  void FrameRect(const Rect& r, ColorRef c) override { inner_.FrameRect(r, c); }
  void SelectFont(const FontDesc& f) override { inner_.SelectFont(f); }
  void DeselectFont() override { inner_.DeselectFont(); }
  std::int32_t TextWidth(const char* t) override { return inner_.TextWidth(t); }
  void DrawText(std::int32_t x, std::int32_t y, const char* t,
                ColorRef c) override {
    inner_.DrawText(x, y, t, c);
  }
  const MemorySurface& inner() const { return inner_; }
  int marks = 0;

 private:
  MemorySurface inner_;
  const std::vector<ColorRef> final_;
};

TEST(RenderFrameFast, ScreenAtEachColumnIsAStateOfTheLiteralPass) {
  MemorySurface reference(50, 37);
  SaverEngine literal;
  literal.mandelbrotColor = 7;
  literal.backgroundColor = 11;
  literal.Attach(&reference);
  literal.ResetView();
  literal.RenderFrameLiteral();

  ReversedWorkers workers;
  for (ColumnWorkers* lent : {static_cast<ColumnWorkers*>(nullptr),
                              static_cast<ColumnWorkers*>(&workers)}) {
    WatchingSurface watched(50, 37, reference.pixels());
    SaverEngine fast;
    fast.mandelbrotColor = 7;
    fast.backgroundColor = 11;
    fast.columnWorkers = lent;
    fast.Attach(&watched);
    fast.ResetView();
    fast.RenderFrame();
    EXPECT_EQ(watched.marks, 51);
    EXPECT_EQ(watched.inner().pixels(), reference.pixels());
  }
}

}  // namespace
}  // namespace mandeldive
