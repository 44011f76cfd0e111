// The headless renderer's work, split: the ticks of a whole 1920 x 1080 dive
// on the in-memory surface, and the encoding of its last picture, so the
// share of PNG writing in a dive can be read off one run.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <string>

#include "engine/calendar_clock.h"
#include "engine/saver_engine.h"
#include "engine/tick_timing.h"
#include "output/png_writer.h"
#include "surface/freetype_text.h"
#include "surface/memory_surface.h"

namespace mandeldive {
namespace {

constexpr std::int32_t kWidth = 1920;
constexpr std::int32_t kHeight = 1080;

// The dive the bench script times through the renderer: schemes 8 and 10,
// the clock fixed.
void RunDive(MemorySurface* surface) {
  const FixedClock clock(1700000000);
  SaverEngine engine;
  engine.mandelbrotColor = 8;
  engine.backgroundColor = 10;
  engine.clock = &clock;
  engine.Attach(surface);
  for (std::int64_t tick = 0; tick < kTicksPerDive; ++tick) engine.Tick();
  engine.Detach();
}

void DiveTicks(benchmark::State& state) {
  for (auto _ : state) {
    MemorySurface surface(kWidth, kHeight, MakeFreeTypeText());
    RunDive(&surface);
    benchmark::DoNotOptimize(surface.view().pixels);
  }
}

void DivePng(benchmark::State& state) {
  MemorySurface surface(kWidth, kHeight, MakeFreeTypeText());
  RunDive(&surface);
  const int fd = open("/dev/null", O_WRONLY);
  std::string error;
  for (auto _ : state) {
    if (!EncodePng(fd, "/dev/null", surface.view(), &error)) {
      state.SkipWithError(error.c_str());
      break;
    }
  }
  close(fd);
}

BENCHMARK(DiveTicks)->Name("dive/ticks")->Unit(benchmark::kMillisecond);
BENCHMARK(DivePng)->Name("dive/png")->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace mandeldive

BENCHMARK_MAIN();
