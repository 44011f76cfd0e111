// One 1920 x 1080 frame through the GDI surface, pixel by pixel against
// column-wise, on a real window. A Windows program run under Wine on a
// virtual display by scripts/bench; Google Benchmark has no Windows build
// here, so it times itself: the best of a few runs of each, alternated.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "engine/saver_engine.h"
#include "host/win32/gdi_surface.h"
#include "surface/memory_surface.h"
#include "tests/win32_test_window.h"

namespace {

LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_PAINT) {
    PAINTSTRUCT ps;
    BeginPaint(w, &ps);
    EndPaint(w, &ps);
    return 0;
  }
  return DefWindowProcA(w, m, wp, lp);
}

double Milliseconds(mandeldive::SaverEngine& engine, bool literal) {
  const auto start = std::chrono::steady_clock::now();
  if (literal) {
    engine.RenderFrameLiteral();
  } else {
    engine.RenderFrame();
  }
  GdiFlush();
  return std::chrono::duration<double, std::milli>(
             std::chrono::steady_clock::now() - start)
      .count();
}

// Drawing alone: a picture computed beforehand, held column by column, goes
// to the window pixel by pixel (marks, then pixels, as the literal pass
// calls SetPixel) or column by column (MarkProgress, then DrawColumn).
double DrawOnly(mandeldive::GdiSurface& surface,
                const std::vector<std::vector<mandeldive::ColorRef>>& columns,
                bool perPixel) {
  using namespace mandeldive;
  const std::int32_t w = static_cast<std::int32_t>(columns.size());
  const std::int32_t h = static_cast<std::int32_t>(columns[0].size());
  const auto start = std::chrono::steady_clock::now();
  SurfaceContext context(surface);
  for (std::int32_t i = 0; i <= w; ++i) {
    if (perPixel) {
      for (std::int32_t j = 1; j <= h; j += 2) surface.SetPixel(i, j, kYellow);
      for (std::int32_t j = 0; j < h && i < w; ++j)
        surface.SetPixel(i, j, columns[i][j]);
    } else {
      surface.MarkProgress(i, h);
      if (i < w) surface.DrawColumn(i, 0, columns[i].data(), h);
    }
  }
  GdiFlush();
  return std::chrono::duration<double, std::milli>(
             std::chrono::steady_clock::now() - start)
      .count();
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::atoi(argv[1]) : 3;
  HWND window =
      mandeldive::MakeTestWindow("GdiBench", Proc, WHITE_BRUSH, 1920, 1080);
  mandeldive::GdiSurface surface(window);
  mandeldive::SaverEngine engine;
  engine.mandelbrotColor = 7;
  engine.backgroundColor = 10;
  engine.Attach(&surface);
  engine.ResetView();
  double literal = 1e300, fast = 1e300;
  for (int i = 0; i < runs; ++i) {
    const double l = Milliseconds(engine, true);
    const double f = Milliseconds(engine, false);
    literal = l < literal ? l : literal;
    fast = f < fast ? f : fast;
  }
  mandeldive::MemorySurface picture(1920, 1080);
  mandeldive::SaverEngine painter;
  painter.mandelbrotColor = 7;
  painter.backgroundColor = 10;
  painter.Attach(&picture);
  painter.ResetView();
  painter.RenderFrame();
  std::vector<std::vector<mandeldive::ColorRef>> picked(
      1920, std::vector<mandeldive::ColorRef>(1080));
  for (std::int32_t i = 0; i < 1920; ++i) {
    for (std::int32_t j = 0; j < 1080; ++j) picked[i][j] = picture.Pixel(i, j);
  }
  double pixels = 1e300, columns = 1e300;
  for (int i = 0; i < runs; ++i) {
    const double p = DrawOnly(surface, picked, true);
    const double c = DrawOnly(surface, picked, false);
    pixels = p < pixels ? p : pixels;
    columns = c < columns ? c : columns;
  }
  std::printf("gdi/literal %.1f ms\ngdi/fast %.1f ms\n", literal, fast);
  std::printf("draw/pixels %.1f ms\ndraw/columns %.1f ms\n", pixels, columns);
  DestroyWindow(window);
  return 0;
}
