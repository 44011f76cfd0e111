#include "engine/saver_random.h"

namespace mandeldive {

SaverRandom& ProcessRandom() {
  static SaverRandom generator;
  return generator;
}

}  // namespace mandeldive
