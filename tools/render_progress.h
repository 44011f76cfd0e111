// The renderer's progress line: on standard error, only when that is a
// terminal, and only once a run has taken more than a second, so quick runs
// and pipelines see nothing. It is rewritten in place at most ten times a
// second and cleared before the program ends or reports a failure.
#ifndef MANDELDIVE_TOOLS_RENDER_PROGRESS_H_
#define MANDELDIVE_TOOLS_RENDER_PROGRESS_H_

#include <chrono>
#include <cstdint>

namespace mandeldive {

class RenderProgress {
 public:
  // ticks to run, on a client area `width` columns wide.
  RenderProgress(std::int64_t ticks, std::int32_t width);

  void StartTick(std::int64_t tick);
  // A MemorySurface column observer; context is the RenderProgress.
  static void OnColumn(void* context, std::int32_t x);
  // Removes the line, if one was shown.
  void Clear();

 private:
  using Clock = std::chrono::steady_clock;
  void Show(std::int32_t column);

  bool enabled_;
  std::int64_t ticks_;
  std::int32_t width_;
  std::int64_t tick_ = 0;
  bool shown_ = false;
  Clock::time_point start_;
  Clock::time_point lastShown_;
};

}  // namespace mandeldive

#endif  // MANDELDIVE_TOOLS_RENDER_PROGRESS_H_
