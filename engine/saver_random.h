// The pseudo-random generator the zoom step draws from. It follows the
// classic srand/rand rules exactly, so that the same seed picks the same
// cells on every target (the C library's own rand differs between them).
#ifndef MANDELDIVE_ENGINE_SAVER_RANDOM_H_
#define MANDELDIVE_ENGINE_SAVER_RANDOM_H_

#include <cstdint>

namespace mandeldive {

// Every value Rand returns is below this.
constexpr std::int32_t kRandRange = 32768;

class SaverRandom {
 public:
  // srand: the state becomes the seed.
  void Seed(std::uint32_t seed) { state_ = seed; }

  // rand: state = state x 214013 + 2531011 (mod 2^32); bits 16..30 of it.
  std::int32_t Next() {
    state_ = state_ * 214013u + 2531011u;
    return static_cast<std::int32_t>((state_ >> 16) & 0x7FFFu);
  }

 private:
  std::uint32_t state_ = 1;
};

// The one generator of the process.
SaverRandom& ProcessRandom();

}  // namespace mandeldive

#endif  // MANDELDIVE_ENGINE_SAVER_RANDOM_H_
