// Kernel and render-pass throughput, literal against fast, at 1920 x 1080.
// Iterations are counted as the pictures define them: n for an escaped
// point, 99 for a point inside.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/escape_kernel.h"
#include "engine/saver_engine.h"
#include "surface/memory_surface.h"

namespace mandeldive {
namespace {

constexpr std::int32_t kWidth = 1920;
constexpr std::int32_t kHeight = 1080;

struct View {
  double originX, originY, step;
};

View FullView() { return {-2.5, -1.5, 3.0 / kHeight}; }

// The level-5 view of a fixed dive: deep, and largely inside the set.
View DeepView() {
  static const View view = [] {
    MemorySurface surface(kWidth, kHeight);
    FixedClock clock(1700000000);
    SaverEngine engine;
    engine.clock = &clock;
    engine.Attach(&surface);
    while (engine.zoomLevel < 5) engine.Tick();
    return View{engine.originX, engine.originY, engine.step};
  }();
  return view;
}

std::int64_t IterationsOf(const std::vector<EscapeResult>& column) {
  std::int64_t total = 0;
  for (const EscapeResult& r : column)
    total += r.inside ? kInsideCount - 1 : r.n;
  return total;
}

// One frame's columns through a kernel, without drawing.
void KernelFrame(benchmark::State& state, EscapeKernelFn kernel, View view) {
  std::vector<double> ys(kHeight + 1);
  double y = view.originY;
  for (double& v : ys) v = (y += view.step);
  std::vector<EscapeResult> column(kHeight + 1);
  // The frame's iterations, counted once outside the timing.
  std::int64_t iterations = 0;
  double x = view.originX;
  for (std::int32_t i = 0; i <= kWidth; ++i) {
    x += view.step;
    EscapeKernelScalar(x, ys.data(), kHeight + 1, column.data());
    iterations += IterationsOf(column);
  }
  for (auto _ : state) {
    x = view.originX;
    for (std::int32_t i = 0; i <= kWidth; ++i) {
      x += view.step;
      kernel(x, ys.data(), kHeight + 1, column.data());
      benchmark::ClobberMemory();
    }
  }
  state.counters["iterations/s"] =
      benchmark::Counter(static_cast<double>(iterations) * state.iterations(),
                         benchmark::Counter::kIsRate);
  state.counters["iterations/pixel"] =
      static_cast<double>(iterations) / ((kWidth + 1.0) * (kHeight + 1.0));
}

void RenderOnMemory(benchmark::State& state, bool literal) {
  MemorySurface surface(kWidth, kHeight);
  SaverEngine engine;
  engine.mandelbrotColor = 7;
  engine.backgroundColor = 10;
  engine.Attach(&surface);
  engine.ResetView();
  for (auto _ : state) {
    if (literal) {
      engine.RenderFrameLiteral();
    } else {
      engine.RenderFrame();
    }
    benchmark::DoNotOptimize(surface.view().pixels);
  }
}

void RegisterAll() {
  std::int32_t count = 0;
  const EscapeKernel* kernels = EscapeKernels(&count);
  for (std::int32_t k = 0; k < count; ++k) {
    if (!kernels[k].supported()) continue;
    const EscapeKernel* kernel = &kernels[k];
    benchmark::RegisterBenchmark(
        ("kernel/full/" + std::string(kernel->name)).c_str(),
        [kernel](benchmark::State& s) {
          KernelFrame(s, kernel->run, FullView());
        })
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(
        ("kernel/deep/" + std::string(kernel->name)).c_str(),
        [kernel](benchmark::State& s) {
          KernelFrame(s, kernel->run, DeepView());
        })
        ->Unit(benchmark::kMillisecond);
  }
  benchmark::RegisterBenchmark(
      "render/memory/literal",
      [](benchmark::State& s) { RenderOnMemory(s, true); })
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("render/memory/fast", [](benchmark::State& s) {
    RenderOnMemory(s, false);
  })->Unit(benchmark::kMillisecond);
}

}  // namespace
}  // namespace mandeldive

int main(int argc, char** argv) {
  mandeldive::RegisterAll();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
