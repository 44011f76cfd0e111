#include "tools/thread_column_workers.h"

#include <sched.h>

#include <algorithm>

namespace mandeldive {

namespace {

// Slots a thread: far more than the few columns a helper gains while the
// caller computes one slow column, and at 1080 rows half a megabyte.
constexpr std::int32_t kSlotsAThread = 128;

}  // namespace

ColorRef* ThreadColumnWorkers::Colours(std::int32_t columns, std::int32_t rows,
                                       std::int32_t* slots) {
  slots_ = std::max(1, std::min(columns, kSlotsAThread * threads_));
  const std::size_t size = static_cast<std::size_t>(slots_) * rows;
  if (colours_.size() < size) colours_ = PictureBuffer<ColorRef>(size);
  *slots = slots_;
  return colours_.data();
}

void ThreadColumnWorkers::Start(std::int32_t count, Compute compute,
                                void* context) {
  Finish();
  count_ = count;
  compute_ = compute;
  context_ = context;
  next_.store(0);
  waitedFor_ = 0;
  done_.reset(new std::atomic<bool>[count > 0 ? count : 1]);
  for (std::int32_t i = 0; i < count; ++i) done_[i].store(false);
  for (std::int32_t t = 1; t < threads_; ++t) {
    helpers_.emplace_back([this] {
      while (TakeOne()) {
      }
    });
  }
}

void ThreadColumnWorkers::ComputeColumn(std::int32_t i) {
  compute_(context_, i);
  done_[i].store(true, std::memory_order_release);
  // Under the lock, so a waiter between its test and its wait cannot miss
  // the news.
  std::lock_guard<std::mutex> lock(mutex_);
  columnDone_.notify_all();
}

bool ThreadColumnWorkers::TakeOneFree() {
  std::int32_t i = next_.load();
  // The caller never waits for a slot: it is the one that frees them.
  do {
    if (i >= count_ || i >= waitedFor_ + slots_) return false;
  } while (!next_.compare_exchange_weak(i, i + 1));
  ComputeColumn(i);
  return true;
}

bool ThreadColumnWorkers::TakeOne() {
  const std::int32_t i = next_.fetch_add(1);
  if (i >= count_) return false;
  {
    // Bounded: the caller moves waitedFor_ on to every column in turn,
    // and to the end when the pass finishes.
    std::unique_lock<std::mutex> lock(mutex_);
    slotFree_.wait(lock, [&] { return i < waitedFor_ + slots_; });
  }
  ComputeColumn(i);
  return true;
}

void ThreadColumnWorkers::WaitFor(std::int32_t column) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    waitedFor_ = column;
  }
  slotFree_.notify_all();
  while (!done_[column].load(std::memory_order_acquire)) {
    if (TakeOneFree()) continue;
    // Every column up to this one is taken: it is being computed by a
    // helper, which notifies when it is done.
    std::unique_lock<std::mutex> lock(mutex_);
    columnDone_.wait(
        lock, [&] { return done_[column].load(std::memory_order_acquire); });
  }
}

void ThreadColumnWorkers::Finish() {
  {
    // A pass left early frees every slot, so no helper waits on.
    std::lock_guard<std::mutex> lock(mutex_);
    waitedFor_ = count_;
  }
  slotFree_.notify_all();
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
