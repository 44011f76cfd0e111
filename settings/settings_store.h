// The settings in the per-user registry:
// HKEY_CURRENT_USER\Software\Zemvira\ScreenSavers\Mandelbrot, values
// "MandelbrotColor" and "BackgroundColor" (the engine's two schemes) and
// "EveryMonitor" (the Windows program's own choice), all REG_DWORD.
#ifndef MANDELDIVE_SETTINGS_SETTINGS_STORE_H_
#define MANDELDIVE_SETTINGS_SETTINGS_STORE_H_

#include <cstdint>

#include "engine/saver_engine.h"

namespace mandeldive {

extern const char kSettingsKey[];
extern const char kMandelbrotColorValue[];
extern const char kBackgroundColorValue[];
extern const char kEveryMonitorValue[];

// What the store keeps for the Windows program beside the engine's schemes.
struct HostSettings {
  // Non-zero: full screen gives every monitor a dive of its own; 0: the
  // dive on the primary monitor, the others black.
  std::uint32_t everyMonitor = 0;
};

// The program's own, beside its engine.
extern HostSettings programSettings;

// Loads the stored numbers into the engine's two scheme fields and, when
// given, the host's. A missing key or value, or one longer than 4 bytes,
// leaves the field as it was; a shorter value loads as the number its
// bytes make. Nothing is range-checked.
void ReadSettings(SaverEngine& engine, HostSettings* host = nullptr);
// Stores the fields, the host's when given, creating the key when needed.
// Failures are quiet.
void WriteSettings(const SaverEngine& engine,
                   const HostSettings* host = nullptr);

// The same, on the program's engine and settings.
void ReadSettings();
void WriteSettings();

}  // namespace mandeldive

#endif  // MANDELDIVE_SETTINGS_SETTINGS_STORE_H_
