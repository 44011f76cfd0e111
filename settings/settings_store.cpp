#include "settings/settings_store.h"

#include <windows.h>

#include <cstdint>

#include "engine/program_engine.h"

namespace mandeldive {

const char kSettingsKey[] = "Software\\Zemvira\\ScreenSavers\\Mandelbrot";
const char kMandelbrotColorValue[] = "MandelbrotColor";
const char kBackgroundColorValue[] = "BackgroundColor";

namespace {

// Queries a value into a zeroed 4-byte buffer; false leaves *field alone.
void QueryNumber(HKEY key, const char* name, std::uint32_t* field) {
  DWORD value = 0;
  DWORD size = sizeof value;
  if (RegQueryValueExA(key, name, nullptr, nullptr,
                       reinterpret_cast<BYTE*>(&value), &size) == ERROR_SUCCESS) {
    *field = value;
  }
}

void SetNumber(HKEY key, const char* name, std::uint32_t field) {
  const DWORD value = field;
  RegSetValueExA(key, name, 0, REG_DWORD,
                 reinterpret_cast<const BYTE*>(&value), sizeof value);
}

}  // namespace

void ReadSettings(SaverEngine& engine) {
  HKEY key = nullptr;
  if (RegOpenKeyA(HKEY_CURRENT_USER, kSettingsKey, &key) != ERROR_SUCCESS) return;
  QueryNumber(key, kMandelbrotColorValue, &engine.mandelbrotColor);
  QueryNumber(key, kBackgroundColorValue, &engine.backgroundColor);
  RegCloseKey(key);
}

void WriteSettings(const SaverEngine& engine) {
  HKEY key = nullptr;
  if (RegCreateKeyA(HKEY_CURRENT_USER, kSettingsKey, &key) != ERROR_SUCCESS) return;
  SetNumber(key, kMandelbrotColorValue, engine.mandelbrotColor);
  SetNumber(key, kBackgroundColorValue, engine.backgroundColor);
  RegCloseKey(key);
}

void ReadSettings() { ReadSettings(programEngine); }
void WriteSettings() { WriteSettings(programEngine); }

}  // namespace mandeldive
