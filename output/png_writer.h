// Writes a picture of shown colours as a 24-bit RGB PNG.
//
// Every row is stored with the Up filter and compressed by libdeflate at
// its fastest level; see output/png_encoding.md for the measurements
// behind that choice. Pictures whose filtered rows exceed a limit are
// compressed by zlib a row at a time instead, so memory stays bounded.
#ifndef MANDELDIVE_OUTPUT_PNG_WRITER_H_
#define MANDELDIVE_OUTPUT_PNG_WRITER_H_

#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/colour.h"
#include "surface/pixel_view.h"

namespace mandeldive {

// Filtered bytes up to which a picture is compressed in one piece: 128 MiB,
// an 8K picture; the buffers then cost at most about twice that.
constexpr std::size_t kPngOneShotBytes = std::size_t{128} << 20;

// How a picture is encoded: on how many threads at most (the file is the
// same on any number), and up to how many filtered bytes in one piece,
// kPngOneShotBytes but for tests.
struct PngEncoding {
  std::int32_t threads = 1;
  std::size_t oneShotBytes = kPngOneShotBytes;
};

// Encodes the picture onto the open file descriptor fd. On failure returns
// false with a one-line reason in *error that names `name` and says why:
// the system's word for a failed write ("No space left on device"), or
// "out of memory".
bool EncodePng(int fd, const std::string& name, const PixelView& picture,
               std::string* error, const PngEncoding& how = PngEncoding());

// Writes the picture to path through an OutputFile: a regular file is
// replaced whole or not at all, a link's target is written, "-" is
// standard output. On failure returns false with a one-line reason in
// *error and leaves no temporary file.
bool WritePng(const std::string& path, const PixelView& picture,
              std::string* error);

}  // namespace mandeldive

#endif  // MANDELDIVE_OUTPUT_PNG_WRITER_H_
