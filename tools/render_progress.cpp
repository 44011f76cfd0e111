#include "tools/render_progress.h"

#include <unistd.h>

#include <cstdio>

namespace mandeldive {

namespace {

constexpr auto kQuiet = std::chrono::seconds(1);
constexpr auto kEvery = std::chrono::milliseconds(100);

}  // namespace

RenderProgress::RenderProgress(std::int64_t ticks, std::int32_t width)
    : enabled_(isatty(STDERR_FILENO) == 1),
      ticks_(ticks),
      width_(width),
      start_(Clock::now()),
      lastShown_(start_) {}

void RenderProgress::StartTick(std::int64_t tick) {
  tick_ = tick;
  Show(0);
}

void RenderProgress::OnColumn(void* context, std::int32_t x) {
  static_cast<RenderProgress*>(context)->Show(x);
}

void RenderProgress::Show(std::int32_t column) {
  if (!enabled_) return;
  const Clock::time_point now = Clock::now();
  if (now - start_ < kQuiet || (shown_ && now - lastShown_ < kEvery)) return;
  lastShown_ = now;
  shown_ = true;
  // The part of the run done: whole ticks before this one, and the columns
  // of this one's render pass (a caption or zoom tick counts as done).
  const double done =
      (static_cast<double>(tick_ - 1) +
       static_cast<double>(column) / static_cast<double>(width_ + 1)) /
      static_cast<double>(ticks_);
  std::fprintf(stderr, "\rmandeldive-render: tick %lld of %lld, %3d%%",
               static_cast<long long>(tick_), static_cast<long long>(ticks_),
               static_cast<int>(done * 100.0));
  std::fflush(stderr);
}

void RenderProgress::Clear() {
  if (!shown_) return;
  std::fputs("\r\033[K", stderr);
  std::fflush(stderr);
  shown_ = false;
}

}  // namespace mandeldive
