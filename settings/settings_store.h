// The two scheme numbers in the per-user registry:
// HKEY_CURRENT_USER\Software\Zemvira\ScreenSavers\Mandelbrot, values
// "MandelbrotColor" and "BackgroundColor" (REG_DWORD).
#ifndef MANDELDIVE_SETTINGS_SETTINGS_STORE_H_
#define MANDELDIVE_SETTINGS_SETTINGS_STORE_H_

#include "engine/saver_engine.h"

namespace mandeldive {

extern const char kSettingsKey[];
extern const char kMandelbrotColorValue[];
extern const char kBackgroundColorValue[];

// Loads the stored numbers into the engine's two scheme fields. A missing
// key or value, or one longer than 4 bytes, leaves the field as it was; a
// shorter value loads as the number its bytes make. Nothing is range-checked.
void ReadSettings(SaverEngine& engine);
// Stores the two fields, creating the key when needed. Failures are quiet.
void WriteSettings(const SaverEngine& engine);

// The same, on the program's engine.
void ReadSettings();
void WriteSettings();

}  // namespace mandeldive

#endif  // MANDELDIVE_SETTINGS_SETTINGS_STORE_H_
