// Writes a picture of shown colours as a 24-bit RGB PNG.
#ifndef MANDELDIVE_SURFACE_PNG_WRITER_H_
#define MANDELDIVE_SURFACE_PNG_WRITER_H_

#include <cstdint>
#include <string>

#include "engine/colour.h"

namespace mandeldive {

// Writes width x height row-major pixels to path. The file is written under
// a temporary name beside path and renamed into place, so path holds either
// its old content or the whole new picture, never a part. On failure returns
// false with a one-line reason in *error and leaves no temporary file.
bool WritePng(const std::string& path, std::int32_t width, std::int32_t height,
              const ColorRef* pixels, std::string* error);

}  // namespace mandeldive

#endif  // MANDELDIVE_SURFACE_PNG_WRITER_H_
