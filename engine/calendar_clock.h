// The calendar clock the zoom step seeds its generator from. Hosts use the
// system's; tests and the headless renderer fix it to a given second.
#ifndef MANDELDIVE_ENGINE_CALENDAR_CLOCK_H_
#define MANDELDIVE_ENGINE_CALENDAR_CLOCK_H_

#include <cstdint>

namespace mandeldive {

class CalendarClock {
 public:
  virtual ~CalendarClock() = default;
  // Whole seconds since 1970-01-01 UTC.
  virtual std::int64_t Seconds() const = 0;
};

// The system's clock (time()).
const CalendarClock& SystemClock();

// A clock that always reads the same second.
class FixedClock final : public CalendarClock {
 public:
  explicit FixedClock(std::int64_t seconds) : seconds_(seconds) {}
  std::int64_t Seconds() const override { return seconds_; }

 private:
  std::int64_t seconds_;
};

}  // namespace mandeldive

#endif  // MANDELDIVE_ENGINE_CALENDAR_CLOCK_H_
