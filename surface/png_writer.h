// Writes a picture of shown colours as a 24-bit RGB PNG.
#ifndef MANDELDIVE_SURFACE_PNG_WRITER_H_
#define MANDELDIVE_SURFACE_PNG_WRITER_H_

#include <cstdint>
#include <string>

#include "engine/colour.h"

namespace mandeldive {

// Encodes width x height row-major pixels onto the open file descriptor fd.
// On failure returns false with a one-line reason in *error that names
// `name` and says why: the system's word for a failed write ("No space left
// on device"), or libpng's own message.
bool EncodePng(int fd, const std::string& name, std::int32_t width,
               std::int32_t height, const ColorRef* pixels, std::string* error);

// Writes the picture to path through an OutputFile: a regular file is
// replaced whole or not at all, a link's target is written, "-" is
// standard output. On failure returns false with a one-line reason in
// *error and leaves no temporary file.
bool WritePng(const std::string& path, std::int32_t width, std::int32_t height,
              const ColorRef* pixels, std::string* error);

}  // namespace mandeldive

#endif  // MANDELDIVE_SURFACE_PNG_WRITER_H_
