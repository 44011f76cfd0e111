#include "engine/program_engine.h"

namespace mandeldive {

SaverEngine programEngine;

}  // namespace mandeldive
