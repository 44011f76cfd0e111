#include "tools/thread_column_workers.h"

#include <sched.h>

namespace mandeldive {

ColorRef* ThreadColumnWorkers::Colours(std::size_t count) {
  if (colours_.size() < count) colours_ = PictureBuffer<ColorRef>(count);
  return colours_.data();
}

void ThreadColumnWorkers::Start(std::int32_t count, Compute compute,
                                void* context) {
  Finish();
  count_ = count;
  compute_ = compute;
  context_ = context;
  next_.store(0);
  done_.reset(new std::atomic<bool>[count > 0 ? count : 1]);
  for (std::int32_t i = 0; i < count; ++i) done_[i].store(false);
  for (std::int32_t t = 1; t < threads_; ++t) {
    helpers_.emplace_back([this] {
      while (TakeOne()) {
      }
    });
  }
}

bool ThreadColumnWorkers::TakeOne() {
  const std::int32_t i = next_.fetch_add(1);
  if (i >= count_) return false;
  compute_(context_, i);
  done_[i].store(true, std::memory_order_release);
  // Under the lock, so a waiter between its test and its wait cannot miss
  // the news.
  std::lock_guard<std::mutex> lock(mutex_);
  columnDone_.notify_all();
  return true;
}

void ThreadColumnWorkers::WaitFor(std::int32_t column) {
  while (!done_[column].load(std::memory_order_acquire)) {
    if (TakeOne()) continue;
    // Every column is taken: this one is being computed by a helper,
    // which notifies when it is done.
    std::unique_lock<std::mutex> lock(mutex_);
    columnDone_.wait(
        lock, [&] { return done_[column].load(std::memory_order_acquire); });
  }
}

void ThreadColumnWorkers::Finish() {
  for (std::thread& helper : helpers_) helper.join();
  helpers_.clear();
}

std::int32_t UsableCpus() {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (sched_getaffinity(0, sizeof set, &set) != 0) return 1;
  const int count = CPU_COUNT(&set);
  return count > 0 ? count : 1;
}

}  // namespace mandeldive
