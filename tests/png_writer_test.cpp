#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "surface/png_writer.h"

namespace mandeldive {
namespace {

std::string TempDir() {
  char name[] = "/tmp/mandeldive-png.XXXXXX";
  return mkdtemp(name);
}

TEST(PngWriter, WritesTwentyFourBitRgbThatReadsBack) {
  const std::string dir = TempDir();
  const std::string path = dir + "/p.png";
  const std::vector<ColorRef> pixels = {0x0000FF, 0x00FF00, 0xFF0000,
                                        0x123456, 0xFFFFFF, 0x000000};
  std::string error;
  ASSERT_TRUE(WritePng(path, 3, 2, pixels.data(), &error)) << error;

  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  ASSERT_TRUE(png_image_begin_read_from_file(&image, path.c_str()));
  EXPECT_EQ(image.width, 3u);
  EXPECT_EQ(image.height, 2u);
  EXPECT_EQ(image.format & PNG_FORMAT_FLAG_ALPHA, 0u);
  EXPECT_NE(image.format & PNG_FORMAT_FLAG_COLOR, 0u);
  image.format = PNG_FORMAT_RGB;
  std::vector<png_byte> rgb(PNG_IMAGE_SIZE(image));
  ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr));
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    EXPECT_EQ(rgb[i * 3 + 0], RedOf(pixels[i]));
    EXPECT_EQ(rgb[i * 3 + 1], GreenOf(pixels[i]));
    EXPECT_EQ(rgb[i * 3 + 2], BlueOf(pixels[i]));
  }
  std::remove(path.c_str());
  rmdir(dir.c_str());
}

TEST(PngWriter, FailureLeavesTheOldFileAndNoTemporary) {
  const std::string dir = TempDir();
  const std::string path = dir + "/keep.png";
  { std::ofstream(path) << "old"; }
  const ColorRef pixel = 0;
  std::string error;
  EXPECT_FALSE(WritePng(dir + "/missing/x.png", 1, 1, &pixel, &error));
  EXPECT_NE(error.find("missing/x.png"), std::string::npos);
  EXPECT_FALSE(WritePng(path, 0, 1, &pixel, &error));
  std::ifstream in(path);
  std::string content;
  in >> content;
  EXPECT_EQ(content, "old");
  std::remove(path.c_str());
  EXPECT_EQ(rmdir(dir.c_str()), 0) << "a temporary file was left behind";
}

}  // namespace
}  // namespace mandeldive
