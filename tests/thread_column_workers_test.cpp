#include "tools/thread_column_workers.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace mandeldive {
namespace {

// Longer than a waiting thread spins before it sleeps.
constexpr std::chrono::milliseconds kPause{30};

// What the pass's columns see: how often each was computed, and whether one
// was computed before its slot was free.
struct Columns {
  std::int32_t slots = 0;
  std::int32_t slowColumn = -1;
  ColorRef* colours = nullptr;
  std::atomic<std::int32_t> waitedFor{0};
  std::atomic<bool> early{false};
  std::vector<std::atomic<std::int32_t>> computed;
  explicit Columns(std::int32_t count) : computed(count) {}
};

void Compute(void* context, std::int32_t i) {
  Columns& c = *static_cast<Columns*>(context);
  if (i >= c.waitedFor.load() + c.slots) c.early = true;
  if (i == c.slowColumn) std::this_thread::sleep_for(kPause);
  ++c.computed[i];
  ColorRef* slot = c.colours + static_cast<std::size_t>(i % c.slots) * 2;
  slot[0] = slot[1] = static_cast<ColorRef>(i);
}

// A caller slower than its helpers, so that they run the ring's length
// ahead: every column computed once, never into a slot not yet drawn, and
// still there when it is drawn; twice, as passes reuse the ring. The
// second pass begins after the helpers have gone to sleep, and one of its
// columns outlasts the spinning of whoever waits for it.
TEST(ThreadColumnWorkers, ComputeEveryColumnOnceIntoAFreeSlot) {
  constexpr std::int32_t kColumns = 900;
  for (std::int32_t threads : {1, 2, 3, 7}) {
    ThreadColumnWorkers workers(threads);
    for (int pass = 0; pass < 2; ++pass) {
      SCOPED_TRACE(testing::Message() << threads << " threads, pass " << pass);
      Columns c(kColumns);
      if (pass == 1) {
        std::this_thread::sleep_for(kPause);
        c.slowColumn = kColumns / 2;
      }
      c.colours = workers.Colours(kColumns, 2, &c.slots);
      ASSERT_GE(c.slots, 1);
      ASSERT_LE(c.slots, kColumns);
      workers.Start(kColumns, Compute, &c);
      for (std::int32_t i = 0; i < kColumns; ++i) {
        c.waitedFor = i;
        workers.WaitFor(i);
        const ColorRef* slot =
            c.colours + static_cast<std::size_t>(i % c.slots) * 2;
        ASSERT_EQ(slot[0], static_cast<ColorRef>(i));
        ASSERT_EQ(slot[1], static_cast<ColorRef>(i));
        const auto until =
            std::chrono::steady_clock::now() + std::chrono::microseconds(5);
        while (std::chrono::steady_clock::now() < until) {
        }
      }
      workers.Finish();
      EXPECT_FALSE(c.early);
      for (std::int32_t i = 0; i < kColumns; ++i) {
        ASSERT_EQ(c.computed[i].load(), 1) << "column " << i;
      }
    }
  }
}

}  // namespace
}  // namespace mandeldive
