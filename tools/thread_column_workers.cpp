#include "tools/thread_column_workers.h"

#include <sched.h>

#include <algorithm>
#include <chrono>
#include <exception>

namespace mandeldive {

namespace {

// Slots a thread: far more than the few columns a helper gains while the
// caller computes one slow column, and at 1080 rows half a megabyte.
constexpr std::int32_t kSlotsAThread = 128;

// How long a thread that waits for the others spins before it sleeps:
// longer than the gaps between passes in a dive (a caption and a zoom
// step), so that the CPUs stay awake from one pass to the next. Spinning
// yields, so other threads of the process lose little to it.
constexpr std::chrono::milliseconds kSpin{8};

}  // namespace

ThreadColumnWorkers::ThreadColumnWorkers(std::int32_t threads)
    : threads_(std::max(1, threads)) {
  // Started now, so that they are running when the first pass begins.
  while (static_cast<std::int32_t>(helpers_.size()) < threads_ - 1) {
    try {
      helpers_.emplace_back([this] { Help(); });
    } catch (const std::exception&) {  // no thread to be had
      threads_ = static_cast<std::int32_t>(helpers_.size()) + 1;
    }
  }
}

ThreadColumnWorkers::~ThreadColumnWorkers() {
  Finish();
  stopping_.store(true);
  Wake();
  for (std::thread& helper : helpers_) helper.join();
}

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
  waitedFor_.store(0);
  done_.reset(new std::atomic<bool>[count > 0 ? count : 1]);
  for (std::int32_t i = 0; i < count; ++i) done_[i].store(false);
  helping_.store(static_cast<std::int32_t>(helpers_.size()));
  // Everything above is written before a helper sees the pass begin.
  pass_.fetch_add(1);
  Wake();
}

template <typename Ready>
void ThreadColumnWorkers::Await(Ready ready) {
  const auto until = std::chrono::steady_clock::now() + kSpin;
  while (!ready()) {
    if (std::chrono::steady_clock::now() >= until) {
      // The count goes up before ready() is tested again under the lock,
      // and a waker changes what ready() reads before it reads the count,
      // so either this test sees the change or the waker sees a sleeper.
      std::unique_lock<std::mutex> lock(mutex_);
      sleepers_.fetch_add(1);
      changed_.wait(lock, ready);
      sleepers_.fetch_sub(1);
      return;
    }
    std::this_thread::yield();
  }
}

void ThreadColumnWorkers::Wake() {
  if (sleepers_.load() == 0) return;
  // Taking the lock waits for a sleeper between its test and its wait.
  { std::lock_guard<std::mutex> lock(mutex_); }
  changed_.notify_all();
}

void ThreadColumnWorkers::Help() {
  std::uint32_t seen = 0;
  for (;;) {
    Await([&] { return pass_.load() != seen || stopping_.load(); });
    if (pass_.load() == seen) return;  // stopping, between passes
    seen = pass_.load();
    while (TakeOne()) {
    }
    helping_.fetch_sub(1);
    Wake();
  }
}

void ThreadColumnWorkers::ComputeColumn(std::int32_t i) {
  compute_(context_, i);
  done_[i].store(true);
  Wake();
}

bool ThreadColumnWorkers::TakeOneFree() {
  std::int32_t i = next_.load();
  // The caller never waits for a slot: it is the one that frees them.
  do {
    if (i >= count_ || i >= waitedFor_.load() + slots_) return false;
  } while (!next_.compare_exchange_weak(i, i + 1));
  ComputeColumn(i);
  return true;
}

bool ThreadColumnWorkers::TakeOne() {
  const std::int32_t i = next_.fetch_add(1);
  if (i >= count_) return false;
  // Bounded: the caller moves waitedFor_ on to every column in turn, and
  // to the end when the pass finishes.
  Await([&] { return i < waitedFor_.load() + slots_; });
  ComputeColumn(i);
  return true;
}

void ThreadColumnWorkers::WaitFor(std::int32_t column) {
  waitedFor_.store(column);
  Wake();
  while (!done_[column].load()) {
    if (TakeOneFree()) continue;
    // Every column up to this one is taken: a helper computes it.
    Await([&] { return done_[column].load(); });
  }
}

void ThreadColumnWorkers::Finish() {
  // A pass left early frees every slot, so no helper waits on.
  waitedFor_.store(count_);
  Wake();
  // Bounded: the helpers leave once every column is taken, and they take
  // the rest of a pass left early.
  Await([&] { return helping_.load() == 0; });
}

std::int32_t UsableCpus() {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (sched_getaffinity(0, sizeof set, &set) != 0) return 1;
  const int count = CPU_COUNT(&set);
  return count > 0 ? count : 1;
}

}  // namespace mandeldive
