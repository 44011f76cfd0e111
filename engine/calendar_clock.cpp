#include "engine/calendar_clock.h"

#include <ctime>

namespace mandeldive {

namespace {

class TimeClock final : public CalendarClock {
 public:
  std::int64_t Seconds() const override {
    return static_cast<std::int64_t>(std::time(nullptr));
  }
};

}  // namespace

const CalendarClock& SystemClock() {
  static const TimeClock clock;
  return clock;
}

}  // namespace mandeldive
