// Threads for a render pass, lent by a host that has them. The engine
// includes no thread library: a host (the renderer) hands it an object of
// this kind, and RenderFrame then computes the pass's columns on its
// threads while it draws them, in order, on its own. The surface sees the
// same calls in the same order as from a pass on one thread.
#ifndef MANDELDIVE_ENGINE_COLUMN_WORKERS_H_
#define MANDELDIVE_ENGINE_COLUMN_WORKERS_H_

#include <cstddef>
#include <cstdint>

#include "engine/colour.h"

namespace mandeldive {

class ColumnWorkers {
 public:
  using Compute = void (*)(void* context, std::int32_t column);

  // Memory for a pass of `columns` columns of `rows` colours, called before
  // Start: *slots columns' room (1 <= *slots <= columns), of which column i
  // has slot i % *slots. It is the host's, reused from pass to pass; the
  // pass writes every colour before it reads it. A ring of a few hundred
  // columns spares a threaded pass a second whole picture. Throws
  // std::bad_alloc when it cannot be had.
  virtual ColorRef* Colours(std::int32_t columns, std::int32_t rows,
                            std::int32_t* slots) = 0;

  // Has compute(context, i) called exactly once for every i in
  // 0..count-1, on any of its threads and in any order, and returns at
  // once. compute must be safe to call for different columns at a time.
  // Column i is computed only once its slot is free: once WaitFor has
  // been called for column i - slots + 1 or later.
  virtual void Start(std::int32_t count, Compute compute, void* context) = 0;
  // Returns once compute(context, column) has returned; the caller may
  // then read what it wrote, and has done with every column before. It may
  // compute columns itself meanwhile.
  virtual void WaitFor(std::int32_t column) = 0;
  // Returns once every column is done and no thread of the pass runs.
  virtual void Finish() = 0;

 protected:
  ~ColumnWorkers() = default;
};

}  // namespace mandeldive

#endif  // MANDELDIVE_ENGINE_COLUMN_WORKERS_H_
