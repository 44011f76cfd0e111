#include "host/win32/program_engine.h"

namespace mandeldive {

SaverEngine programEngine;

}  // namespace mandeldive
