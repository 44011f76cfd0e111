#include "output/png_writer.h"

#include <libdeflate.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "output/deflate_pieces.h"
#include "output/output_file.h"
#include "surface/picture_buffer.h"

namespace mandeldive {

namespace {

constexpr std::uint8_t kSignature[8] = {0x89, 'P',  'N',  'G',
                                        '\r', '\n', 0x1A, '\n'};
constexpr std::uint8_t kFilterUp = 2;
// IDAT chunks are cut at this size, so a reader never needs a huge one.
constexpr std::size_t kIdatBytes = std::size_t{1} << 20;
constexpr std::size_t kBufferBytes = std::size_t{1} << 16;
// Filtered bytes a piece of the one-shot compressor holds, about: a picture
// is cut into as many pieces of whole rows as come nearest. Every piece but the
// last is walked once more to join it to the next, at about 0.4 of the time
// it took to compress, so pieces are few: two for a 1920x1080 picture, eight
// for 3840x2160.
constexpr std::size_t kPieceBytes = std::size_t{3} << 20;
// The last piece is not walked, so it takes more rows than the others, in
// hundredths of theirs: with this share, the two pieces of a 1920x1080
// picture ended together best on two threads (18.4 against 19.7 ms for
// equal pieces, best of eight).
constexpr std::int64_t kLastPieceShares = 120;

void PutBigEndian(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v >> 24);
  p[1] = static_cast<std::uint8_t>(v >> 16);
  p[2] = static_cast<std::uint8_t>(v >> 8);
  p[3] = static_cast<std::uint8_t>(v);
}

// The file's bytes, buffered in front of the descriptor. After the first
// failed write it takes nothing more and keeps the reason.
class Sink {
 public:
  explicit Sink(int fd) : fd_(fd) { buffer_.reserve(kBufferBytes); }

  void Put(const std::uint8_t* data, std::size_t length) {
    if (!failure_.empty()) return;
    if (buffer_.size() + length > kBufferBytes) {
      Drain();
      if (length >= kBufferBytes) {
        WriteAll(data, length);
        return;
      }
    }
    buffer_.insert(buffer_.end(), data, data + length);
  }

  // A chunk: length, type, data and the CRC of type and data.
  void Chunk(const char* type, const std::uint8_t* data, std::size_t length) {
    std::uint8_t head[8];
    PutBigEndian(head, static_cast<std::uint32_t>(length));
    std::memcpy(head + 4, type, 4);
    std::uint32_t crc = libdeflate_crc32(0, head + 4, 4);
    // libdeflate_crc32 takes a null buffer as a request for its seed.
    if (length > 0) crc = libdeflate_crc32(crc, data, length);
    std::uint8_t tail[4];
    PutBigEndian(tail, crc);
    Put(head, sizeof head);
    Put(data, length);
    Put(tail, sizeof tail);
  }

  // Compressed data as IDAT chunks of at most kIdatBytes.
  void Idat(const std::uint8_t* data, std::size_t length) {
    for (std::size_t at = 0; at < length; at += kIdatBytes) {
      Chunk("IDAT", data + at, std::min(kIdatBytes, length - at));
    }
  }

  bool Finish() {
    Drain();
    return failure_.empty();
  }
  void Fail(const char* why) {
    if (failure_.empty()) failure_ = why;
  }
  const std::string& failure() const { return failure_; }

 private:
  void Drain() {
    WriteAll(buffer_.data(), buffer_.size());
    buffer_.clear();
  }
  void WriteAll(const std::uint8_t* data, std::size_t length) {
    std::size_t done = 0;
    while (failure_.empty() && done < length) {
      const ssize_t n = write(fd_, data + done, length - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        failure_ = std::strerror(n < 0 ? errno : EIO);
        return;
      }
      done += static_cast<std::size_t>(n);
    }
  }

  int fd_;
  std::vector<std::uint8_t> buffer_;
  std::string failure_;
};

// Rows are read in bands of this many, a column of the band at a time, so
// a column-major picture is read a cache line at a time rather than a
// pixel a page.
constexpr std::int32_t kBandRows = 16;

// Up-filters rows first..end - 1 of the picture a band of rows at a time:
// the filter byte, then each RGB byte less the one above it (the row above
// row 0 is zeros). emit(row, bytes) receives each filtered row in order.
template <typename Emit>
void FilterRows(const PixelView& picture, std::int32_t first, std::int32_t end,
                Emit&& emit) {
  const std::size_t bytes = static_cast<std::size_t>(picture.width) * 3;
  std::vector<std::uint8_t> band(bytes * (kBandRows + 1), 0);
  std::vector<std::uint8_t> out(bytes + 1);
  out[0] = kFilterUp;
  // band's first row holds the row above the band.
  if (first > 0) {
    for (std::int32_t x = 0; x < picture.width; ++x) {
      const ColorRef c =
          picture
              .pixels[x * picture.xStride +
                      static_cast<std::ptrdiff_t>(first - 1) * picture.yStride];
      band[3 * x] = static_cast<std::uint8_t>(RedOf(c));
      band[3 * x + 1] = static_cast<std::uint8_t>(GreenOf(c));
      band[3 * x + 2] = static_cast<std::uint8_t>(BlueOf(c));
    }
  }
  for (std::int32_t y0 = first; y0 < end; y0 += kBandRows) {
    const std::int32_t n = std::min(kBandRows, end - y0);
    for (std::int32_t x = 0; x < picture.width; ++x) {
      const ColorRef* p = picture.pixels + x * picture.xStride +
                          static_cast<std::ptrdiff_t>(y0) * picture.yStride;
      std::uint8_t* to = band.data() + bytes + 3 * x;
      for (std::int32_t k = 0; k < n; ++k, p += picture.yStride, to += bytes) {
        const ColorRef c = *p;
        to[0] = static_cast<std::uint8_t>(RedOf(c));
        to[1] = static_cast<std::uint8_t>(GreenOf(c));
        to[2] = static_cast<std::uint8_t>(BlueOf(c));
      }
    }
    for (std::int32_t k = 0; k < n; ++k) {
      const std::uint8_t* above = band.data() + k * bytes;
      const std::uint8_t* row = above + bytes;
      for (std::size_t i = 0; i < bytes; ++i) {
        out[1 + i] = static_cast<std::uint8_t>(row[i] - above[i]);
      }
      emit(out.data(), bytes + 1);
    }
    std::memcpy(band.data(), band.data() + n * bytes, bytes);
  }
}

// The whole picture filtered into one buffer and deflated in pieces of
// whole rows, on up to `threads` threads; each piece's thread filters its
// rows too. The pieces depend on the picture alone, so that every number of
// threads writes the same file.
bool DeflateOneShot(const PixelView& picture, std::int32_t threads,
                    Sink* sink) {
  const std::size_t rowBytes = static_cast<std::size_t>(picture.width) * 3 + 1;
  const std::size_t total = rowBytes * static_cast<std::size_t>(picture.height);
  const std::int32_t pieces = static_cast<std::int32_t>(std::min<std::size_t>(
      picture.height,
      std::max<std::size_t>(1, (total + kPieceBytes / 2) / kPieceBytes)));
  // Piece k starts at row firstRows[k]; every piece but the last has
  // 100 shares of the rows, the last kLastPieceShares. At least k rows
  // come before piece k, so that every piece has one.
  const std::int64_t shares =
      std::int64_t{100} * (pieces - 1) + kLastPieceShares;
  std::vector<std::int32_t> firstRows;
  for (std::int32_t k = 0; k < pieces; ++k) {
    firstRows.push_back(
        std::max(k, static_cast<std::int32_t>(picture.height *
                                              std::int64_t{100} * k / shares)));
  }
  firstRows.push_back(picture.height);
  std::vector<std::size_t> ends;
  for (std::int32_t k = 1; k <= pieces; ++k) {
    ends.push_back(rowBytes * static_cast<std::size_t>(firstRows[k]));
  }
  PictureBuffer<std::uint8_t> filtered(ends.back());
  auto prepare = [&](std::size_t k) {
    const std::int32_t first = firstRows[k];
    std::uint8_t* at = filtered.data() + rowBytes * first;
    FilterRows(picture, first, firstRows[k + 1],
               [&](const std::uint8_t* row, std::size_t bytes) {
                 std::memcpy(at, row, bytes);
                 at += bytes;
               });
  };
  PictureBuffer<std::uint8_t> packed;
  std::size_t length = 0;
  if (!DeflatePieces(filtered.data(), ends, prepare, threads, &packed,
                     &length)) {
    return false;
  }
  sink->Idat(packed.data(), length);
  return true;
}

// Row by row through zlib, for pictures too big to hold filtered.
bool DeflateStreaming(const PixelView& picture, Sink* sink) {
  z_stream stream{};
  if (deflateInit(&stream, 1) != Z_OK) return false;
  std::vector<std::uint8_t> packed(kIdatBytes);
  bool ok = true;
  // Deflates what is in stream's input, finishing the stream when asked.
  auto pump = [&](int flush) {
    int status = Z_OK;
    do {
      stream.next_out = packed.data();
      stream.avail_out = static_cast<uInt>(packed.size());
      status = deflate(&stream, flush);
      if (status == Z_STREAM_ERROR) {
        ok = false;
        return;
      }
      sink->Idat(packed.data(), packed.size() - stream.avail_out);
    } while (stream.avail_out == 0 ||
             (flush == Z_FINISH && status != Z_STREAM_END));
  };
  FilterRows(picture, 0, picture.height,
             [&](const std::uint8_t* row, std::size_t bytes) {
               if (!ok || !sink->failure().empty()) return;
               stream.next_in = const_cast<Bytef*>(row);
               stream.avail_in = static_cast<uInt>(bytes);
               pump(Z_NO_FLUSH);
             });
  if (ok && sink->failure().empty()) {
    stream.next_in = nullptr;
    stream.avail_in = 0;
    pump(Z_FINISH);
  }
  deflateEnd(&stream);
  return ok;
}

}  // namespace

bool EncodePng(int fd, const std::string& name, const PixelView& picture,
               std::string* error, const PngEncoding& how) {
  if (picture.width <= 0 || picture.height <= 0) {
    *error = "a PNG needs at least one pixel on each side";
    return false;
  }
  Sink sink(fd);
  sink.Put(kSignature, sizeof kSignature);
  std::uint8_t header[13];
  PutBigEndian(header, static_cast<std::uint32_t>(picture.width));
  PutBigEndian(header + 4, static_cast<std::uint32_t>(picture.height));
  header[8] = 8;   // bits a channel
  header[9] = 2;   // colour type: RGB
  header[10] = 0;  // deflate
  header[11] = 0;  // adaptive filtering, a filter byte a row
  header[12] = 0;  // not interlaced
  sink.Chunk("IHDR", header, sizeof header);
  const std::size_t filteredBytes =
      (static_cast<std::size_t>(picture.width) * 3 + 1) *
      static_cast<std::size_t>(picture.height);
  bool encoded = false;
  try {
    encoded = filteredBytes <= how.oneShotBytes
                  ? DeflateOneShot(picture, how.threads, &sink)
                  : DeflateStreaming(picture, &sink);
  } catch (const std::bad_alloc&) {
    encoded = false;
  }
  if (!encoded) sink.Fail("out of memory");
  sink.Chunk("IEND", nullptr, 0);
  if (!sink.Finish()) {
    *error = "cannot write " + name + ": " + sink.failure();
    return false;
  }
  return true;
}

bool WritePng(const std::string& path, const PixelView& picture,
              std::string* error) {
  if (picture.width <= 0 || picture.height <= 0) {
    *error = "a PNG needs at least one pixel on each side";
    return false;
  }
  OutputFile output;
  return output.Open(path, error) &&
         EncodePng(output.fd(), path, picture, error) && output.Commit(error);
}

}  // namespace mandeldive
