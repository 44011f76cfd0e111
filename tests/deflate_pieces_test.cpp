#include "output/deflate_pieces.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <string>
#include <vector>

#include "output/deflate_final_block.h"

namespace mandeldive {
namespace {

// Bytes of the kinds a compressor treats differently: noise (stored
// blocks), long runs, a repeating text, and a few bytes (fixed codes).
std::vector<std::uint8_t> Sample(const std::string& kind, std::size_t size) {
  std::vector<std::uint8_t> data(size);
  std::uint32_t seed = 2024;
  for (std::size_t i = 0; i < size; ++i) {
    seed = seed * 1103515245u + 12345u;
    if (kind == "noise") data[i] = static_cast<std::uint8_t>(seed >> 24);
    if (kind == "runs") data[i] = static_cast<std::uint8_t>(i / 5000);
    if (kind == "text") data[i] = "a mandelbrot dive "[(i + seed % 3) % 18];
  }
  return data;
}

// Every layout of pieces joins into one stream that zlib reads back as the
// data, and the same stream whatever the number of threads.
TEST(DeflatePieces, JoinsPiecesIntoOneStreamOnAnyNumberOfThreads) {
  struct Case {
    const char* kind;
    std::vector<std::size_t> ends;
  };
  const Case cases[] = {
      {"noise", {300000}},
      {"noise", {100000, 200001, 300000}},
      {"runs", {1, 2, 400000, 1000000}},
      {"text", {7}},
      {"text", {3, 5, 9, 200000, 200003}},
      {"mixed", {65536, 131072, 500000}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.kind) + ", " + std::to_string(c.ends.size()) +
                 " pieces");
    std::vector<std::uint8_t> data = Sample(c.kind, c.ends.back());
    if (std::string(c.kind) == "mixed") {
      const std::vector<std::uint8_t> noise = Sample("noise", data.size());
      for (std::size_t i = data.size() / 2; i < data.size(); ++i) {
        data[i] = noise[i];
      }
    }
    std::vector<std::uint8_t> streams[2];
    for (int threads : {1, 3}) {
      std::vector<std::uint8_t> work(data.size());
      const auto prepare = [&](std::size_t k) {
        const std::size_t begin = k == 0 ? 0 : c.ends[k - 1];
        std::copy(data.begin() + begin, data.begin() + c.ends[k],
                  work.begin() + begin);
      };
      PictureBuffer<std::uint8_t> stream;
      std::size_t length = 0;
      ASSERT_TRUE(DeflatePieces(work.data(), c.ends, prepare, threads, &stream,
                                &length));
      std::vector<std::uint8_t> back(data.size() + 1);
      uLongf size = back.size();
      ASSERT_EQ(uncompress(back.data(), &size, stream.data(), length), Z_OK);
      back.resize(size);
      ASSERT_EQ(back, data);
      streams[threads > 1].assign(stream.data(), stream.data() + length);
    }
    EXPECT_EQ(streams[0], streams[1]);
  }
}

// A stream cut short anywhere, or with a block of the reserved type, is
// refused, not read past its end.
TEST(DeflatePieces, TheFinalBlockOfABrokenStreamIsNotFound) {
  const std::vector<std::uint8_t> data = Sample("text", 5000);
  // zlib's own raw deflate, with the dynamic codes of its default level.
  std::vector<std::uint8_t> raw(6000);
  z_stream z{};
  ASSERT_EQ(deflateInit2(&z, 6, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY),
            Z_OK);
  z.next_in = const_cast<Bytef*>(data.data());
  z.avail_in = static_cast<uInt>(data.size());
  z.next_out = raw.data();
  z.avail_out = static_cast<uInt>(raw.size());
  ASSERT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
  raw.resize(z.total_out);
  deflateEnd(&z);
  FinalBlock found;
  ASSERT_TRUE(FindFinalBlock(raw.data(), raw.size(), &found));
  EXPECT_EQ((found.endBit + 7) / 8, raw.size());
  for (std::size_t cut = 0; cut < raw.size(); ++cut) {
    ASSERT_FALSE(FindFinalBlock(raw.data(), cut, &found)) << "cut at " << cut;
  }
  const std::uint8_t reserved[] = {0x07, 0x00};  // final, type 3
  EXPECT_FALSE(FindFinalBlock(reserved, sizeof reserved, &found));
}

}  // namespace
}  // namespace mandeldive
