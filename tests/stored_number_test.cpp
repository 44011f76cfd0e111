#include "settings/stored_number.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace mandeldive {
namespace {

// A value as the registry would hand it back to a query.
struct FakeValue {
  bool exists;
  std::vector<unsigned char> data;
};

long FakeQuery(void* context, const char*, unsigned char* buffer,
               std::uint32_t* size) {
  const auto* value = static_cast<const FakeValue*>(context);
  if (!value->exists) return 2;  // ERROR_FILE_NOT_FOUND
  const std::uint32_t length = static_cast<std::uint32_t>(value->data.size());
  const std::uint32_t room = *size;
  *size = length;
  if (length > room) return 234;  // ERROR_MORE_DATA
  if (length > 0) std::memcpy(buffer, value->data.data(), length);
  return 0;
}

TEST(LoadStoredNumber, FourLittleEndianBytesOrFewer) {
  constexpr std::uint32_t kBefore = 0xAAAAAAAA;
  struct {
    const char* what;
    FakeValue value;
    std::uint32_t field;
  } const cases[] = {
      {"a DWORD", {true, {7, 0, 0, 0}}, 7},
      {"out of range is kept", {true, {9, 0, 0, 0}}, 9},
      {"all four bytes", {true, {0x78, 0x56, 0x34, 0x12}}, 0x12345678},
      {"one byte fills the low byte", {true, {0x0C}}, 0x0C},
      {"three bytes", {true, {1, 2, 3}}, 0x030201},
      {"no bytes at all", {true, {}}, 0},
      {"eight bytes fail", {true, {1, 0, 0, 0, 0, 0, 0, 0}}, kBefore},
      {"five bytes fail", {true, {1, 2, 3, 4, 5}}, kBefore},
      {"a missing value", {false, {}}, kBefore},
  };
  for (const auto& c : cases) {
    std::uint32_t field = kBefore;
    FakeValue value = c.value;
    LoadStoredNumber(FakeQuery, &value, "MandelbrotColor", &field);
    EXPECT_EQ(field, c.field) << c.what;
  }
}

}  // namespace
}  // namespace mandeldive
