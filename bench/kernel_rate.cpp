// kernel_rate W H ROUNDS: every escape kernel of this build on the full
// view and the level-5 view of a fixed dive, W x H, timed by the program
// itself, for targets with no benchmark library (WebAssembly under node).
// The kernels take turns, ROUNDS rounds, and each one's best round counts,
// as a neighbour on a shared machine only ever slows a run down. Prints one
// line a kernel and view: "VIEW KERNEL ITERATIONS_PER_SECOND".
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "bench/bench_view.h"
#include "engine/escape_kernel.h"

int main(int argc, char** argv) {
  using namespace mandeldive;
  const int width = argc == 4 ? std::atoi(argv[1]) : 0;
  const int height = argc == 4 ? std::atoi(argv[2]) : 0;
  const int rounds = argc == 4 ? std::atoi(argv[3]) : 0;
  if (width < 1 || height < 1 || width > 16384 || height > 16384 ||
      rounds < 1 || rounds > 100) {
    std::fprintf(
        stderr, "usage: kernel_rate W H ROUNDS (1..16384, 1..16384, 1..100)\n");
    return 2;
  }
  std::int32_t count = 0;
  const EscapeKernel* kernels = EscapeKernels(&count);
  const char* const names[] = {"full", "deep"};
  std::vector<EscapeResult> column;
  for (int deep = 0; deep < 2; ++deep) {
    const BenchView view = MakeBenchView(deep != 0, width, height);
    std::vector<double> best(count, 0.0);
    for (int round = 0; round < rounds; ++round) {
      for (std::int32_t k = 0; k < count; ++k) {
        const auto start = std::chrono::steady_clock::now();
        const std::int64_t iterations =
            RunBenchView(view, &kernels[k], &column);
        const std::chrono::duration<double> took =
            std::chrono::steady_clock::now() - start;
        const double rate = static_cast<double>(iterations) / took.count();
        if (rate > best[k]) best[k] = rate;
      }
    }
    for (std::int32_t k = 0; k < count; ++k) {
      std::printf("%s %s %.0f\n", names[deep], kernels[k].name, best[k]);
    }
  }
  return 0;
}
