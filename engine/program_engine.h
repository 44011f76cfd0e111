// The Windows program's one engine, shared by the entry, the window
// procedure and the settings dialog. Tests make engines of their own.
#ifndef MANDELDIVE_ENGINE_PROGRAM_ENGINE_H_
#define MANDELDIVE_ENGINE_PROGRAM_ENGINE_H_

#include "engine/saver_engine.h"

namespace mandeldive {

// Constructed in static storage before the entry runs, with only its caption
// set; destroyed after the entry returns.
extern SaverEngine programEngine;

}  // namespace mandeldive

#endif  // MANDELDIVE_ENGINE_PROGRAM_ENGINE_H_
