// kernel_instructions KERNEL|none full|deep W H: runs the full view of a
// W x H window, or the level-5 view of a fixed dive, through one escape
// kernel once and prints the escape iterations it did.
// scripts/bench runs it under qemu-user, which logs every block of guest
// instructions it executes: the instructions of a run with a kernel less
// those of a run with none, over the iterations, are the kernel's
// instructions per iteration, a measure emulation does not distort.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "engine/escape_kernel.h"
#include "engine/saver_engine.h"
#include "surface/memory_surface.h"

int main(int argc, char** argv) {
  using namespace mandeldive;
  if (argc != 5 || (std::strcmp(argv[2], "full") != 0 &&
                    std::strcmp(argv[2], "deep") != 0)) {
    std::fprintf(stderr,
                 "usage: kernel_instructions KERNEL|none full|deep W H\n");
    return 2;
  }
  const int width = std::atoi(argv[3]);
  const int height = std::atoi(argv[4]);
  if (width < 1 || height < 1 || width > 16384 || height > 16384) {
    std::fprintf(stderr, "kernel_instructions: W and H are 1..16384\n");
    return 2;
  }
  const EscapeKernel* chosen = nullptr;
  std::int32_t count = 0;
  const EscapeKernel* kernels = EscapeKernels(&count);
  for (std::int32_t k = 0; k < count; ++k) {
    if (std::strcmp(kernels[k].name, argv[1]) == 0) chosen = &kernels[k];
  }
  if (chosen == nullptr && std::strcmp(argv[1], "none") != 0) {
    std::fprintf(stderr, "kernel_instructions: no kernel %s here\n", argv[1]);
    return 2;
  }
  // The view, worked out the same way by every run, kernel or none.
  MemorySurface surface(width, height);
  FixedClock clock(1700000000);
  SaverEngine engine;
  engine.clock = &clock;
  engine.Attach(&surface);
  engine.ResetView();
  if (std::strcmp(argv[2], "deep") == 0) {
    for (int tick = 0; tick < 100 && engine.zoomLevel < 5; ++tick)
      engine.Tick();
  }
  const double step = engine.step;
  std::vector<double> ys(height);
  double y = engine.originY;
  for (double& v : ys) v = (y += step);
  std::vector<EscapeResult> column(height);
  std::int64_t iterations = 0;
  double x = engine.originX;
  for (int i = 0; i < width; ++i) {
    x += step;
    if (chosen == nullptr) continue;
    chosen->run(x, ys.data(), height, column.data());
    for (const EscapeResult& r : column) {
      iterations += r.inside ? kInsideCount - 1 : r.n;
    }
  }
  std::printf("%lld\n", static_cast<long long>(iterations));
  return 0;
}
