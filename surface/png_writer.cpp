#include "surface/png_writer.h"

#include <png.h>
#include <unistd.h>

#include <cerrno>
#include <csetjmp>
#include <cstring>
#include <vector>

#include "surface/output_file.h"

namespace mandeldive {

namespace {

// Where libpng's bytes go: a buffer in front of the descriptor, and the
// reasons of a failure, kept for the message.
struct Sink {
  int fd;
  std::vector<png_byte> buffer;
  std::string failure;  // why, when a write or libpng failed
};

bool Drain(Sink* sink) {
  std::size_t done = 0;
  while (done < sink->buffer.size()) {
    const ssize_t n =
        write(sink->fd, sink->buffer.data() + done, sink->buffer.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      sink->failure = std::strerror(n < 0 ? errno : EIO);
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  sink->buffer.clear();
  return true;
}

constexpr std::size_t kBufferBytes = 1 << 16;

void WriteBytes(png_structp png, png_bytep data, png_size_t length) {
  auto* sink = static_cast<Sink*>(png_get_io_ptr(png));
  sink->buffer.insert(sink->buffer.end(), data, data + length);
  if (sink->buffer.size() >= kBufferBytes && !Drain(sink)) {
    png_error(png, "write failed");
  }
}

void Flush(png_structp png) {
  auto* sink = static_cast<Sink*>(png_get_io_ptr(png));
  if (!Drain(sink)) png_error(png, "write failed");
}

// libpng reports through these instead of printing; the error handler must
// not return, so it jumps back to Encode's setjmp.
void OnPngError(png_structp png, png_const_charp message) {
  auto* sink = static_cast<Sink*>(png_get_error_ptr(png));
  if (sink->failure.empty()) sink->failure = message;
  png_longjmp(png, 1);
}

void OnPngWarning(png_structp, png_const_charp) {
  // Nothing the encoder is given can draw a warning; none changes the file.
}

}  // namespace

bool EncodePng(int fd, const std::string& name, std::int32_t width,
               std::int32_t height, const ColorRef* pixels,
               std::string* error) {
  if (width <= 0 || height <= 0) {
    *error = "a PNG needs at least one pixel on each side";
    return false;
  }
  Sink sink = {fd, {}, {}};
  sink.buffer.reserve(kBufferBytes + 8192);
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &sink,
                                            OnPngError, OnPngWarning);
  if (png == nullptr) {
    *error = "cannot write " + name + ": cannot start the PNG encoder";
    return false;
  }
  png_infop info = png_create_info_struct(png);
  std::vector<png_byte> row(static_cast<std::size_t>(width) * 3);
  if (info == nullptr || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    *error = "cannot write " + name + ": " +
             (sink.failure.empty() ? "out of memory" : sink.failure);
    return false;
  }
  png_set_write_fn(png, &sink, WriteBytes, Flush);
  png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (std::int32_t y = 0; y < height; ++y) {
    const ColorRef* line = pixels + static_cast<std::size_t>(y) * width;
    for (std::int32_t x = 0; x < width; ++x) {
      row[x * 3 + 0] = static_cast<png_byte>(RedOf(line[x]));
      row[x * 3 + 1] = static_cast<png_byte>(GreenOf(line[x]));
      row[x * 3 + 2] = static_cast<png_byte>(BlueOf(line[x]));
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  if (!Drain(&sink)) {
    *error = "cannot write " + name + ": " + sink.failure;
    return false;
  }
  return true;
}

bool WritePng(const std::string& path, std::int32_t width, std::int32_t height,
              const ColorRef* pixels, std::string* error) {
  if (width <= 0 || height <= 0) {
    *error = "a PNG needs at least one pixel on each side";
    return false;
  }
  OutputFile output;
  return output.Open(path, error) &&
         EncodePng(output.fd(), path, width, height, pixels, error) &&
         output.Commit(error);
}

}  // namespace mandeldive
