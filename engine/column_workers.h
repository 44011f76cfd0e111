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

  // Memory for a pass to compute count colours into, called before Start.
  // It is the host's, reused by the next pass, so that a host backs it as
  // it backs its pictures; the pass writes every colour before it reads it.
  // Throws std::bad_alloc when it cannot be had.
  virtual ColorRef* Colours(std::size_t count) = 0;

  // Has compute(context, i) called exactly once for every i in
  // 0..count-1, on any of its threads and in any order, and returns at
  // once. compute must be safe to call for different columns at a time.
  virtual void Start(std::int32_t count, Compute compute, void* context) = 0;
  // Returns once compute(context, column) has returned; the caller may
  // then read what it wrote. It may compute columns itself meanwhile.
  virtual void WaitFor(std::int32_t column) = 0;
  // Returns once every column is done and no thread of the pass runs.
  virtual void Finish() = 0;

 protected:
  ~ColumnWorkers() = default;
};

}  // namespace mandeldive

#endif  // MANDELDIVE_ENGINE_COLUMN_WORKERS_H_
