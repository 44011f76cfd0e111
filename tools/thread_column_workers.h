// The renderer's threads for the engine's render passes: the calling
// thread and threads - 1 helpers, started for each pass and joined at its
// end, take the columns in order from one counter; the caller computes
// columns too while it waits for the one it draws next. The columns are
// computed into a ring of slots a few hundred columns long rather than a
// second whole picture; a helper that runs a ring ahead of the drawing
// waits for its slot.
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
  explicit ThreadColumnWorkers(std::int32_t threads) : threads_(threads) {}
  ~ThreadColumnWorkers() { Finish(); }

  ColorRef* Colours(std::int32_t columns, std::int32_t rows,
                    std::int32_t* slots) override;
  void Start(std::int32_t count, Compute compute, void* context) override;
  void WaitFor(std::int32_t column) override;
  void Finish() override;

 private:
  // Computes column i and says so.
  void ComputeColumn(std::int32_t i);
  // The caller's share: computes the next column nobody has taken if its
  // slot is free; false when there is none.
  bool TakeOneFree();
  // A helper's share: takes the next column, waits for its slot and
  // computes it; false when none is left.
  bool TakeOne();

  std::int32_t threads_;
  std::int32_t slots_ = 1;
  std::int32_t count_ = 0;
  Compute compute_ = nullptr;
  void* context_ = nullptr;
  std::atomic<std::int32_t> next_{0};
  std::unique_ptr<std::atomic<bool>[]> done_;
  std::mutex mutex_;
  std::condition_variable columnDone_;
  // The column the caller waits for, or count_ once the pass ends: slots
  // up to waitedFor_ + slots_ - 1 are free.
  std::int32_t waitedFor_ = 0;
  std::condition_variable slotFree_;
  std::vector<std::thread> helpers_;
  PictureBuffer<ColorRef> colours_;
};

// The CPUs this process may run on (sched_getaffinity), at least 1.
std::int32_t UsableCpus();

}  // namespace mandeldive

#endif  // MANDELDIVE_TOOLS_THREAD_COLUMN_WORKERS_H_
