// How a stored value becomes a scheme number: portable, so that the rule is
// tested and fuzzed everywhere; the registry store supplies the query.
#ifndef MANDELDIVE_SETTINGS_STORED_NUMBER_H_
#define MANDELDIVE_SETTINGS_STORED_NUMBER_H_

#include <cstdint>

namespace mandeldive {

// A query in RegQueryValueExA's manner: fills at most *size bytes of buffer
// with the named value's data and sets *size to the data's length. Returns
// 0 on success; anything else (a missing value, or one longer than the
// buffer) is a failure.
using NumberQuery = long (*)(void* context, const char* name,
                             unsigned char* buffer, std::uint32_t* size);

// Queries the value into a zeroed 4-byte buffer and, on success, stores its
// bytes as a little-endian number in *field: a shorter value fills only the
// low bytes. The value's type is not examined. A failed query leaves *field
// as it was; nothing past the buffer is read, whatever the query says.
void LoadStoredNumber(NumberQuery query, void* context, const char* name,
                      std::uint32_t* field);

}  // namespace mandeldive

#endif  // MANDELDIVE_SETTINGS_STORED_NUMBER_H_
