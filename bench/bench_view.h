// The views the kernel benchmarks run, worked out the same way by every
// run: the full view of a W x H window, or the level-5 view of a fixed dive.
#ifndef MANDELDIVE_BENCH_BENCH_VIEW_H_
#define MANDELDIVE_BENCH_BENCH_VIEW_H_

#include <cstdint>
#include <vector>

#include "engine/escape_kernel.h"
#include "engine/saver_engine.h"
#include "surface/memory_surface.h"

namespace mandeldive {

struct BenchView {
  double originX;
  double step;
  std::vector<double> ys;  // the rows' y, top to bottom
  std::int32_t width;
};

inline BenchView MakeBenchView(bool deep, std::int32_t width,
                               std::int32_t height) {
  MemorySurface surface(width, height);
  FixedClock clock(1700000000);
  SaverEngine engine;
  engine.clock = &clock;
  engine.Attach(&surface);
  engine.ResetView();
  if (deep) {
    for (int tick = 0; tick < 100 && engine.zoomLevel < 5; ++tick)
      engine.Tick();
  }
  BenchView view{engine.originX, engine.step, std::vector<double>(height),
                 width};
  double y = engine.originY;
  for (double& v : view.ys) v = (y += engine.step);
  return view;
}

// Runs the view through a kernel (none: only the loop) and returns the
// escape iterations it did.
inline std::int64_t RunBenchView(const BenchView& view,
                                 const EscapeKernel* kernel,
                                 std::vector<EscapeResult>* column) {
  const std::int32_t height = static_cast<std::int32_t>(view.ys.size());
  column->resize(view.ys.size());
  std::int64_t iterations = 0;
  double x = view.originX;
  for (std::int32_t i = 0; i < view.width; ++i) {
    x += view.step;
    if (kernel == nullptr) continue;
    kernel->run(x, view.ys.data(), height, column->data());
    for (const EscapeResult& r : *column) {
      iterations += r.inside ? kInsideCount - 1 : r.n;
    }
  }
  return iterations;
}

}  // namespace mandeldive

#endif  // MANDELDIVE_BENCH_BENCH_VIEW_H_
