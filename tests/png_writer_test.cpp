#include "output/png_writer.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace mandeldive {
namespace {

std::string TempDir() {
  char name[] = "/tmp/mandeldive-png.XXXXXX";
  return mkdtemp(name);
}

// Reads a PNG back through libpng as RGB bytes; false if libpng refuses it.
bool ReadRgb(const std::string& path, std::uint32_t* width,
             std::uint32_t* height, std::vector<png_byte>* rgb) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
  if ((image.format & PNG_FORMAT_FLAG_ALPHA) != 0 ||
      (image.format & PNG_FORMAT_FLAG_COLOR) == 0) {
    png_image_free(&image);
    return false;
  }
  *width = image.width;
  *height = image.height;
  image.format = PNG_FORMAT_RGB;
  rgb->assign(PNG_IMAGE_SIZE(image), 0);
  return png_image_finish_read(&image, nullptr, rgb->data(), 0, nullptr) != 0;
}

// The chunk layout a strict reader checks and libpng's reader does not
// wholly: the signature, IHDR first, every CRC right, IEND last and empty.
std::string ChunkProblem(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  const std::string d((std::istreambuf_iterator<char>(in)),
                      std::istreambuf_iterator<char>());
  const auto u8 = [&](std::size_t i) {
    return static_cast<std::uint8_t>(d[i]);
  };
  const auto be32 = [&](std::size_t i) {
    return std::uint32_t{u8(i)} << 24 | std::uint32_t{u8(i + 1)} << 16 |
           std::uint32_t{u8(i + 2)} << 8 | u8(i + 3);
  };
  if (d.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0) return "no signature";
  std::string last;
  for (std::size_t at = 8; at < d.size();) {
    if (d.size() - at < 12) return "a truncated chunk";
    const std::uint32_t length = be32(at);
    if (d.size() - at - 12 < length) return "a chunk past the end";
    const std::string type = d.substr(at + 4, 4);
    if (at == 8 && type != "IHDR") return "IHDR is not first";
    const auto crc =
        crc32(0, reinterpret_cast<const Bytef*>(&d[at + 4]), length + 4);
    if (crc != be32(at + 8 + length)) return "a bad CRC in " + type;
    if (type == "IEND" && length != 0) return "IEND has data";
    last = type;
    at += 12 + length;
  }
  return last == "IEND" ? "" : "no IEND at the end";
}

// Pictures that exercise the filter (noise, flat runs, a colour with a top
// byte), in both memory orders and through both compressors.
TEST(PngWriter, WritesTwentyFourBitRgbThatReadsBackExactly) {
  struct Case {
    std::int32_t width, height;
    bool columnMajor;
    std::size_t oneShotBytes;  // 0 forces the row-by-row compressor
    std::int32_t threads;
  };
  const Case cases[] = {
      {3, 2, false, kPngOneShotBytes, 1},
      {1, 1, false, kPngOneShotBytes, 1},
      {257, 31, false, kPngOneShotBytes, 1},
      {257, 31, true, kPngOneShotBytes, 1},
      {257, 31, true, 0, 1},
      {1, 300, true, 0, 1},
      {640, 480, false, 0, 1},
      // Filtered, 4.8 MB: compressed in two pieces, joined.
      {1600, 1000, true, kPngOneShotBytes, 2},
  };
  const std::string dir = TempDir();
  const std::string path = dir + "/p.png";
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height) +
                 (c.columnMajor ? " column-major" : " row-major") +
                 (c.oneShotBytes == 0 ? " streaming" : " one-shot"));
    // Row-major colours: noisy in the top half, flat bands below.
    std::vector<ColorRef> rows(static_cast<std::size_t>(c.width) * c.height);
    std::uint32_t seed = 12345;
    for (std::size_t i = 0; i < rows.size(); ++i) {
      seed = seed * 1103515245u + 12345u;
      rows[i] = i < rows.size() / 2 ? seed : 0xFF000000u | (i / 97);
    }
    std::vector<ColorRef> stored = rows;
    PixelView view = PixelView::RowMajor(stored.data(), c.width, c.height);
    if (c.columnMajor) {
      for (std::int32_t y = 0; y < c.height; ++y) {
        for (std::int32_t x = 0; x < c.width; ++x) {
          stored[static_cast<std::size_t>(x) * c.height + y] =
              rows[static_cast<std::size_t>(y) * c.width + x];
        }
      }
      view = PixelView::ColumnMajor(stored.data(), c.width, c.height);
    }
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    std::string error;
    ASSERT_TRUE(EncodePng(fd, path, view, &error, {c.threads, c.oneShotBytes}))
        << error;
    close(fd);

    EXPECT_EQ(ChunkProblem(path), "");
    std::uint32_t width = 0, height = 0;
    std::vector<png_byte> rgb;
    ASSERT_TRUE(ReadRgb(path, &width, &height, &rgb));
    ASSERT_EQ(width, static_cast<std::uint32_t>(c.width));
    ASSERT_EQ(height, static_cast<std::uint32_t>(c.height));
    for (std::size_t i = 0; i < rows.size(); ++i) {
      ASSERT_EQ(rgb[i * 3 + 0], RedOf(rows[i])) << "pixel " << i;
      ASSERT_EQ(rgb[i * 3 + 1], GreenOf(rows[i])) << "pixel " << i;
      ASSERT_EQ(rgb[i * 3 + 2], BlueOf(rows[i])) << "pixel " << i;
    }
  }
  std::remove(path.c_str());
  rmdir(dir.c_str());
}

TEST(PngWriter, AFullDeviceIsAFailureThatSaysSo) {
  const int fd = open("/dev/full", O_WRONLY);
  if (fd < 0) GTEST_SKIP() << "no /dev/full";
  const std::vector<ColorRef> pixels(64 * 64, 0x123456);
  for (std::size_t oneShot : {kPngOneShotBytes, std::size_t{0}}) {
    std::string error;
    EXPECT_FALSE(EncodePng(fd, "full.png",
                           PixelView::RowMajor(pixels.data(), 64, 64), &error,
                           {1, oneShot}));
    EXPECT_EQ(error, "cannot write full.png: No space left on device");
  }
  close(fd);
}

TEST(PngWriter, FailureLeavesTheOldFileAndNoTemporary) {
  const std::string dir = TempDir();
  const std::string path = dir + "/keep.png";
  { std::ofstream(path) << "old"; }
  const ColorRef pixel = 0;
  std::string error;
  EXPECT_FALSE(WritePng(dir + "/missing/x.png",
                        PixelView::RowMajor(&pixel, 1, 1), &error));
  EXPECT_NE(error.find("missing/x.png"), std::string::npos);
  EXPECT_FALSE(WritePng(path, PixelView::RowMajor(&pixel, 0, 1), &error));
  std::ifstream in(path);
  std::string content;
  in >> content;
  EXPECT_EQ(content, "old");
  std::remove(path.c_str());
  EXPECT_EQ(rmdir(dir.c_str()), 0) << "a temporary file was left behind";
}

}  // namespace
}  // namespace mandeldive
