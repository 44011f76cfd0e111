// The GDI surface in the shared surface suite, on a real window of a virtual
// X display under Wine, read back through the window's device context.
#include "host/win32/gdi_surface.h"

#include <windows.h>

#include <memory>

#include "engine/saver_engine.h"
#include "tests/surface_suite.h"

namespace mandeldive {
namespace {

LRESULT CALLBACK PlainWindowProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_PAINT) {  // as the saver: validate, draw nothing
    PAINTSTRUCT ps;
    BeginPaint(w, &ps);
    EndPaint(w, &ps);
    return 0;
  }
  return DefWindowProcA(w, m, wp, lp);
}

void PumpMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
    DispatchMessageA(&message);
}

// A white top-level popup with a client area of exactly w x h pixels.
HWND MakeWindow(std::int32_t w, std::int32_t h) {
  static bool registered = false;
  if (!registered) {
    WNDCLASSA c = {};
    c.lpfnWndProc = PlainWindowProc;
    c.hInstance = GetModuleHandleA(nullptr);
    c.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    c.lpszClassName = "SurfaceTestWindow";
    registered = RegisterClassA(&c) != 0;
  }
  HWND window = CreateWindowExA(0, "SurfaceTestWindow", "surface",
                                WS_POPUP | WS_VISIBLE, 0, 0, w, h, nullptr,
                                nullptr, GetModuleHandleA(nullptr), nullptr);
  UpdateWindow(window);
  PumpMessages();
  return window;
}

class GdiWindow final : public SurfaceUnderTest {
 public:
  GdiWindow(
      std::int32_t w, std::int32_t h,
      GdiSurface::Columns columns = GdiSurface::Columns::kBlitWhenPossible)
      : window_(MakeWindow(w, h)), surface_(window_, columns) {}
  ~GdiWindow() override {
    DestroyWindow(window_);
    PumpMessages();
  }
  DrawingSurface& surface() override { return surface_; }
  ColorRef Pixel(std::int32_t x, std::int32_t y) override {
    HDC dc = GetDC(window_);
    const COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(window_, dc);
    return c;
  }
  bool HasText() const override { return true; }

 private:
  HWND window_;
  GdiSurface surface_;
};

template <GdiSurface::Columns kColumns>
struct GdiMaker {
  static std::unique_ptr<SurfaceUnderTest> Make(std::int32_t w,
                                                std::int32_t h) {
    return std::make_unique<GdiWindow>(w, h, kColumns);
  }
};

// The blit columns, and the fallback GDI takes when it cannot make them.
using GdiMakers =
    ::testing::Types<GdiMaker<GdiSurface::Columns::kBlitWhenPossible>,
                     GdiMaker<GdiSurface::Columns::kFallbackOnly>>;
INSTANTIATE_TYPED_TEST_SUITE_P(Gdi, SurfaceSuite, GdiMakers);

TEST(GdiSurface, ReleasesEveryObjectItTakes) {
  GdiWindow window(64, 48);
  SaverEngine engine;
  engine.Attach(&window.surface());
  const DWORD before = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  for (int i = 0; i < 20; ++i) {
    engine.DrawCaption();
    SurfaceContext context(window.surface());
    window.surface().FrameRect({1, 1, 30, 30}, kYellow);
  }
  EXPECT_LE(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), before + 2);
}

// A drawn column reaches the window with the next column's marks, or with
// whatever is drawn next, never later: read back while the context is held.
TEST(GdiSurface, EachColumnShowsWithTheNextColumnsMarks) {
  constexpr std::int32_t kW = 12, kH = 16;
  GdiWindow window(kW, kH);
  DrawingSurface& s = window.surface();
  ColorRef column[kH];
  for (std::int32_t k = 0; k < kH; ++k) {
    column[k] =
        k % 3 == 0 ? kKeepPixel : static_cast<ColorRef>(0x000010 * k + 0x0100);
  }
  auto drawn = [&](std::int32_t y, ColorRef under) {
    return column[y] == kKeepPixel ? under : column[y];
  };
  auto marked = [](std::int32_t y) { return y % 2 == 1 ? kYellow : kWhite; };
  SurfaceContext context(s);
  s.MarkProgress(4, kH);
  s.DrawColumn(4, 0, column, kH);
  s.MarkProgress(5, kH);
  for (std::int32_t y = 0; y < kH; ++y) {
    ASSERT_EQ(window.Pixel(4, y), drawn(y, marked(y))) << y;
    ASSERT_EQ(window.Pixel(5, y), marked(y)) << y;
    ASSERT_EQ(window.Pixel(6, y), kWhite) << y;
  }
  // A tall column comes in pieces; it is shown whole.
  s.DrawColumn(5, 0, column, 7);
  s.DrawColumn(5, 7, column + 7, kH - 7);
  s.MarkProgress(6, kH);
  for (std::int32_t y = 0; y < kH; ++y) {
    ASSERT_EQ(window.Pixel(5, y), drawn(y, marked(y))) << y;
    ASSERT_EQ(window.Pixel(6, y), marked(y)) << y;
  }
  // Marks that stop short, and other drawing, show the column first.
  s.DrawColumn(6, 0, column, kH);
  s.MarkProgress(7, 5);
  s.DrawColumn(7, 2, column, 4);
  s.SetPixel(10, 0, 0x0000FF);
  for (std::int32_t y = 0; y < kH; ++y) {
    ASSERT_EQ(window.Pixel(6, y), drawn(y, marked(y))) << y;
    const ColorRef marks = y <= 5 ? marked(y) : kWhite;
    ASSERT_EQ(window.Pixel(7, y), y >= 2 && y < 6 ? drawn(y - 2, marks) : marks)
        << y;
  }
  EXPECT_EQ(window.Pixel(10, 0), 0x0000FFu);
  // After a column that keeps pixels and one that covers only some rows, a
  // column that keeps none is drawn on every row.
  ColorRef plain[kH];
  for (std::int32_t k = 0; k < kH; ++k) plain[k] = 0x203040 + k;
  s.DrawColumn(8, 0, column, kH);
  s.DrawColumn(9, 8, plain, kH - 8);
  s.DrawColumn(11, 0, plain, kH);
  s.SetPixel(0, 0, kWhite);
  for (std::int32_t y = 0; y < kH; ++y) {
    ASSERT_EQ(window.Pixel(11, y), plain[y]) << y;
  }
}

TEST(GdiSurface, ColumnWiseFrameEqualsThePixelByPixelFrame) {
  for (std::uint32_t escape : {12u, 15u}) {  // negative values; out of range
    GdiWindow fast(96, 72), literal(96, 72);
    SaverEngine a, b;
    a.mandelbrotColor = b.mandelbrotColor = 8;
    a.backgroundColor = b.backgroundColor = escape;
    a.Attach(&fast.surface());
    b.Attach(&literal.surface());
    a.ResetView();
    b.ResetView();
    a.RenderFrame();
    b.RenderFrameLiteral();
    int differing = 0;
    for (std::int32_t y = 0; y < 72; ++y) {
      for (std::int32_t x = 0; x < 96; ++x)
        differing += fast.Pixel(x, y) != literal.Pixel(x, y);
    }
    EXPECT_EQ(differing, 0) << "escape scheme " << escape;
    EXPECT_EQ(fast.Pixel(10, 1), escape == 15 ? kYellow : fast.Pixel(10, 1));
  }
}

}  // namespace
}  // namespace mandeldive
