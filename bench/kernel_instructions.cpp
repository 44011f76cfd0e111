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

#include "bench/bench_view.h"
#include "engine/escape_kernel.h"

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
  const BenchView view =
      MakeBenchView(std::strcmp(argv[2], "deep") == 0, width, height);
  std::vector<EscapeResult> column;
  const std::int64_t iterations = RunBenchView(view, chosen, &column);
  std::printf("%lld\n", static_cast<long long>(iterations));
  return 0;
}
