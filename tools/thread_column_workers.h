// The renderer's threads for the engine's render passes: the calling
// thread and threads - 1 helpers take the columns in order from one
// counter; the caller computes columns too while it waits for the one it
// draws next. The columns are computed into a ring of slots a few hundred
// columns long rather than a second whole picture; a helper that runs a
// ring ahead of the drawing waits for its slot.
//
// The helpers live as long as the workers, and a thread that waits for the
// others spins a few milliseconds before it sleeps, so that no pass waits
// for a CPU to wake: a virtual CPU left idle can take milliseconds to, and
// on the build machine a helper started for each pass began up to 4 ms
// into a pass of 10.
#ifndef MANDELDIVE_TOOLS_THREAD_COLUMN_WORKERS_H_
#define MANDELDIVE_TOOLS_THREAD_COLUMN_WORKERS_H_

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "engine/column_workers.h"
#include "surface/picture_buffer.h"

namespace mandeldive {

class ThreadColumnWorkers final : public ColumnWorkers {
 public:
  // Starts threads - 1 helpers, or as many as the system allows.
  explicit ThreadColumnWorkers(std::int32_t threads);
  ~ThreadColumnWorkers();

  ColorRef* Colours(std::int32_t columns, std::int32_t rows,
                    std::int32_t* slots) override;
  void Start(std::int32_t count, Compute compute, void* context) override;
  void WaitFor(std::int32_t column) override;
  void Finish() override;

 private:
  // A helper's life: each pass's columns until the workers are destroyed.
  void Help();
  // Computes column i and says so.
  void ComputeColumn(std::int32_t i);
  // The caller's share: computes the next column nobody has taken if its
  // slot is free; false when there is none.
  bool TakeOneFree();
  // A helper's share: takes the next column, waits for its slot and
  // computes it; false when none is left.
  bool TakeOne();
  // Returns once ready() holds: spins a while, then sleeps until a Wake
  // finds it so.
  template <typename Ready>
  void Await(Ready ready);
  // Says that what some thread may Await has changed. Costs one atomic
  // load unless a thread sleeps.
  void Wake();

  std::int32_t threads_;
  std::int32_t slots_ = 1;
  std::int32_t count_ = 0;
  Compute compute_ = nullptr;
  void* context_ = nullptr;
  std::atomic<std::int32_t> next_{0};
  std::unique_ptr<std::atomic<bool>[]> done_;
  // The column the caller waits for, or count_ once the pass ends: slots
  // up to waitedFor_ + slots_ - 1 are free.
  std::atomic<std::int32_t> waitedFor_{0};
  // Passes started so far; a helper takes part in each new one.
  std::atomic<std::uint32_t> pass_{0};
  // Helpers that have not yet left the current pass.
  std::atomic<std::int32_t> helping_{0};
  std::atomic<bool> stopping_{false};
  // Threads asleep in Await, and what they sleep on.
  std::atomic<std::int32_t> sleepers_{0};
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::thread> helpers_;
  PictureBuffer<ColorRef> colours_;
};

// The CPUs this process may run on (sched_getaffinity), at least 1.
std::int32_t UsableCpus();

}  // namespace mandeldive

#endif  // MANDELDIVE_TOOLS_THREAD_COLUMN_WORKERS_H_
