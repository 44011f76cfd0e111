#include "surface/png_writer.h"

#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace mandeldive {

namespace {

// Encodes into an open file; false with *error set on any libpng failure.
bool Encode(FILE* file, std::int32_t width, std::int32_t height,
            const ColorRef* pixels, std::string* error) {
  png_structp png =
      png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (png == nullptr) {
    *error = "cannot start the PNG encoder";
    return false;
  }
  png_infop info = png_create_info_struct(png);
  std::vector<png_byte> row(static_cast<std::size_t>(width) * 3);
  if (info == nullptr || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    *error = "PNG encoding failed";
    return false;
  }
  png_init_io(png, file);
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
  return true;
}

}  // namespace

bool WritePng(const std::string& path, std::int32_t width, std::int32_t height,
              const ColorRef* pixels, std::string* error) {
  if (width <= 0 || height <= 0) {
    *error = "a PNG needs at least one pixel on each side";
    return false;
  }
  std::string temp = path + ".XXXXXX";
  const int fd = mkstemp(&temp[0]);
  if (fd < 0) {
    *error = "cannot write " + path + ": " + std::strerror(errno);
    return false;
  }
  FILE* file = fdopen(fd, "wb");
  if (file == nullptr) {
    *error = "cannot write " + path + ": " + std::strerror(errno);
    close(fd);
    unlink(temp.c_str());
    return false;
  }
  bool ok = Encode(file, width, height, pixels, error);
  if (std::fflush(file) != 0 || fsync(fd) != 0) {
    if (ok) *error = "cannot write " + path + ": " + std::strerror(errno);
    ok = false;
  }
  if (std::fclose(file) != 0 && ok) {
    *error = "cannot write " + path + ": " + std::strerror(errno);
    ok = false;
  }
  // mkstemp creates the file 0600; a picture is an ordinary file.
  if (ok) {
    const mode_t mask = umask(0);
    umask(mask);
    chmod(temp.c_str(), 0666 & ~mask);
  }
  if (ok && std::rename(temp.c_str(), path.c_str()) != 0) {
    *error = "cannot write " + path + ": " + std::strerror(errno);
    ok = false;
  }
  if (!ok) unlink(temp.c_str());
  return ok;
}

}  // namespace mandeldive
