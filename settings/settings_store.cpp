#include "settings/settings_store.h"

#include <windows.h>

#include <cstdint>

#include "engine/program_engine.h"
#include "settings/stored_number.h"

namespace mandeldive {

const char kSettingsKey[] = "Software\\Zemvira\\ScreenSavers\\Mandelbrot";
const char kMandelbrotColorValue[] = "MandelbrotColor";
const char kBackgroundColorValue[] = "BackgroundColor";
const char kEveryMonitorValue[] = "EveryMonitor";

HostSettings programSettings;

namespace {

long QueryRegistry(void* key, const char* name, unsigned char* buffer,
                   std::uint32_t* size) {
  DWORD length = *size;
  const LONG result = RegQueryValueExA(static_cast<HKEY>(key), name, nullptr,
                                       nullptr, buffer, &length);
  *size = length;
  return result;
}

// A failed query, a missing value or one longer than 4 bytes among them,
// leaves *field alone.
void QueryNumber(HKEY key, const char* name, std::uint32_t* field) {
  LoadStoredNumber(QueryRegistry, key, name, field);
}

void SetNumber(HKEY key, const char* name, std::uint32_t field) {
  const DWORD value = field;
  RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                 sizeof value);
}

}  // namespace

void ReadSettings(SaverEngine& engine, HostSettings* host) {
  HKEY key = nullptr;
  if (RegOpenKeyA(HKEY_CURRENT_USER, kSettingsKey, &key) != ERROR_SUCCESS)
    return;
  QueryNumber(key, kMandelbrotColorValue, &engine.mandelbrotColor);
  QueryNumber(key, kBackgroundColorValue, &engine.backgroundColor);
  if (host != nullptr)
    QueryNumber(key, kEveryMonitorValue, &host->everyMonitor);
  RegCloseKey(key);
}

void WriteSettings(const SaverEngine& engine, const HostSettings* host) {
  HKEY key = nullptr;
  if (RegCreateKeyA(HKEY_CURRENT_USER, kSettingsKey, &key) != ERROR_SUCCESS)
    return;
  SetNumber(key, kMandelbrotColorValue, engine.mandelbrotColor);
  SetNumber(key, kBackgroundColorValue, engine.backgroundColor);
  if (host != nullptr) SetNumber(key, kEveryMonitorValue, host->everyMonitor);
  RegCloseKey(key);
}

void ReadSettings() { ReadSettings(programEngine, &programSettings); }
void WriteSettings() { WriteSettings(programEngine, &programSettings); }

}  // namespace mandeldive
