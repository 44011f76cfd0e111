#include "settings/stored_number.h"

namespace mandeldive {

void LoadStoredNumber(NumberQuery query, void* context, const char* name,
                      std::uint32_t* field) {
  unsigned char bytes[4] = {0, 0, 0, 0};
  std::uint32_t size = sizeof bytes;
  if (query(context, name, bytes, &size) != 0) return;
  *field = static_cast<std::uint32_t>(bytes[0]) |
           static_cast<std::uint32_t>(bytes[1]) << 8 |
           static_cast<std::uint32_t>(bytes[2]) << 16 |
           static_cast<std::uint32_t>(bytes[3]) << 24;
}

}  // namespace mandeldive
