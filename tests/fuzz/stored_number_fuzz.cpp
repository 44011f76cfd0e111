// The registry value decoding: a fake query answers with every type and
// every size from 0 to 16 bytes, as the input says, and sometimes claims
// more than the buffer holds; the field gets the little-endian number of a
// value of at most 4 bytes and stays as it was otherwise.
#include <cstdint>
#include <cstring>
#include <string>

#include "settings/stored_number.h"
#include "tests/fuzz/fuzz_args.h"

namespace {

struct FakeValue {
  bool exists;
  std::uint8_t type;   // REG_NONE .. REG_QWORD and beyond; never examined
  std::uint32_t size;  // 0..16
  bool lies;  // says success and the whole size even when it did not fit
  std::uint8_t data[16];
};

long FakeQuery(void* context, const char*, unsigned char* buffer,
               std::uint32_t* size) {
  const auto* value = static_cast<const FakeValue*>(context);
  if (!value->exists) return 2;  // ERROR_FILE_NOT_FOUND
  const std::uint32_t room = *size;
  *size = value->size;
  if (value->size > room) {
    if (!value->lies) return 234;  // ERROR_MORE_DATA
    std::memcpy(buffer, value->data, room);
    return 0;
  }
  std::memcpy(buffer, value->data, value->size);
  return 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  using namespace mandeldive;
  std::size_t at = 0;
  auto next = [&]() -> std::uint8_t { return at < size ? data[at++] : 0; };
  // Two values a run, as the store reads two.
  for (int value = 0; value < 2; ++value) {
    const std::uint8_t head = next();
    FakeValue v = {};
    v.exists = (head & 1) != 0;
    v.lies = (head & 2) != 0;
    v.type = next();
    v.size = next() % 17;
    for (std::uint32_t i = 0; i < v.size; ++i) v.data[i] = next();
    std::uint32_t before = 0;
    for (int i = 0; i < 4; ++i) before = before << 8 | next();
    std::uint32_t field = before;
    LoadStoredNumber(FakeQuery, &v, "MandelbrotColor", &field);

    std::uint32_t want = before;
    const bool loads = v.exists && (v.size <= 4 || v.lies);
    if (loads) {
      want = 0;
      const std::uint32_t n = v.size < 4 ? v.size : 4;
      for (std::uint32_t i = 0; i < n; ++i)
        want |= static_cast<std::uint32_t>(v.data[i]) << (8 * i);
    }
    if (field != want) {
      Broken("decoded wrongly", "size " + std::to_string(v.size) + " type " +
                                    std::to_string(v.type));
    }
  }
  return 0;
}
