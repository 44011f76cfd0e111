// The registry store on the real registry API (under Wine, in a throwaway
// prefix of this test run's own).
#include "settings/settings_store.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>

namespace mandeldive {
namespace {

class SettingsStore : public ::testing::Test {
 protected:
  void SetUp() override { RegDeleteKeyA(HKEY_CURRENT_USER, kSettingsKey); }
  void TearDown() override { RegDeleteKeyA(HKEY_CURRENT_USER, kSettingsKey); }

  static void Store(const char* name, DWORD type, const void* data,
                    DWORD size) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, kSettingsKey, &key),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data),
                             size),
              ERROR_SUCCESS);
    RegCloseKey(key);
  }
  static bool Stored(const char* name, DWORD* type, DWORD* value) {
    HKEY key = nullptr;
    if (RegOpenKeyA(HKEY_CURRENT_USER, kSettingsKey, &key) != ERROR_SUCCESS)
      return false;
    DWORD size = sizeof *value;
    const bool ok = RegQueryValueExA(key, name, nullptr, type,
                                     reinterpret_cast<BYTE*>(value),
                                     &size) == ERROR_SUCCESS &&
                    size == 4;
    RegCloseKey(key);
    return ok;
  }
};

TEST_F(SettingsStore, NoKeyKeepsTheFields) {
  SaverEngine engine;
  ReadSettings(engine);
  EXPECT_EQ(engine.mandelbrotColor, 0u);
  EXPECT_EQ(engine.backgroundColor, 0u);
  engine.mandelbrotColor = 4;
  engine.backgroundColor = 9;
  ReadSettings(engine);
  EXPECT_EQ(engine.mandelbrotColor, 4u);
  EXPECT_EQ(engine.backgroundColor, 9u);
}

TEST_F(SettingsStore, WriteCreatesTheKeyWithTwoDwords) {
  SaverEngine engine;
  engine.mandelbrotColor = 7;
  engine.backgroundColor = 12;
  WriteSettings(engine);
  DWORD type = 0, value = 0;
  ASSERT_TRUE(Stored("MandelbrotColor", &type, &value));
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(value, 7u);
  ASSERT_TRUE(Stored("BackgroundColor", &type, &value));
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(value, 12u);
  SaverEngine reader;
  ReadSettings(reader);
  EXPECT_EQ(reader.mandelbrotColor, 7u);
  EXPECT_EQ(reader.backgroundColor, 12u);
}

TEST_F(SettingsStore, OutOfRangeNumbersAreTakenAsTheyAre) {
  const DWORD nine = 9, big = 0xFFFFFFFF;
  Store("MandelbrotColor", REG_DWORD, &nine, 4);
  Store("BackgroundColor", REG_DWORD, &big, 4);
  SaverEngine engine;
  ReadSettings(engine);
  EXPECT_EQ(engine.mandelbrotColor, 9u);
  EXPECT_EQ(engine.backgroundColor, 0xFFFFFFFFu);
}

TEST_F(SettingsStore, AnEightByteValueFailsAndTheOtherIsStillRead) {
  const std::uint64_t wide = 3;
  const DWORD five = 5;
  Store("MandelbrotColor", REG_QWORD, &wide, 8);
  Store("BackgroundColor", REG_DWORD, &five, 4);
  SaverEngine engine;
  engine.mandelbrotColor = 6;
  ReadSettings(engine);
  EXPECT_EQ(engine.mandelbrotColor, 6u);
  EXPECT_EQ(engine.backgroundColor, 5u);
}

TEST_F(SettingsStore, ShortValuesLoadAsTheNumberTheirBytesMake) {
  const BYTE one[1] = {0x03};
  const BYTE two[2] = {0x0A, 0x01};
  Store("MandelbrotColor", REG_BINARY, one, 1);
  Store("BackgroundColor", REG_BINARY, two, 2);
  SaverEngine engine;
  engine.mandelbrotColor = 0xAAAAAAAA;
  engine.backgroundColor = 0xAAAAAAAA;
  ReadSettings(engine);
  EXPECT_EQ(engine.mandelbrotColor, 3u);
  EXPECT_EQ(engine.backgroundColor, 0x010Au);
}

TEST_F(SettingsStore, TheValueTypeIsNotExamined) {
  Store("MandelbrotColor", REG_SZ, "\x02\0\0", 4);
  SaverEngine engine;
  ReadSettings(engine);
  EXPECT_EQ(engine.mandelbrotColor, 2u);
}

// The third value goes with the two schemes when the host's settings are
// given, by the same rules, and not otherwise.
TEST_F(SettingsStore, EveryMonitorIsReadAndWrittenWithTheSchemes) {
  SaverEngine engine;
  HostSettings host;
  host.everyMonitor = 1;
  WriteSettings(engine);
  DWORD type = 0, value = 0;
  EXPECT_FALSE(Stored("EveryMonitor", &type, &value));
  WriteSettings(engine, &host);
  ASSERT_TRUE(Stored("EveryMonitor", &type, &value));
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(value, 1u);
  HostSettings reader;
  ReadSettings(engine, &reader);
  EXPECT_EQ(reader.everyMonitor, 1u);
  // A value too long to be a DWORD leaves the field as it was.
  HKEY key = nullptr;
  RegCreateKeyA(HKEY_CURRENT_USER, kSettingsKey, &key);
  const unsigned char eight[8] = {7};
  RegSetValueExA(key, "EveryMonitor", 0, REG_BINARY, eight, sizeof eight);
  RegCloseKey(key);
  reader.everyMonitor = 5;
  ReadSettings(engine, &reader);
  EXPECT_EQ(reader.everyMonitor, 5u);
}

}  // namespace
}  // namespace mandeldive
