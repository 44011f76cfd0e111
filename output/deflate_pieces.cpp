#include "output/deflate_pieces.h"

#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <new>
#include <system_error>
#include <thread>

#include "output/deflate_final_block.h"

namespace mandeldive {

namespace {

constexpr std::uint8_t kZlibHeader[2] = {0x78, 0x01};  // deflate, fastest
// What follows a piece that is not the last: an empty stored block's
// length and its complement, after the header bits and the padding.
constexpr std::uint8_t kStoredEmpty[4] = {0x00, 0x00, 0xFF, 0xFF};
// Room after a piece's compressed bytes for the header bits, the padding
// and kStoredEmpty.
constexpr std::size_t kJoinBytes = 1 + sizeof kStoredEmpty;

struct CompressorFree {
  void operator()(libdeflate_compressor* c) const {
    libdeflate_free_compressor(c);
  }
};
using Compressor = std::unique_ptr<libdeflate_compressor, CompressorFree>;

// What a piece's thread leaves for the join. Bits count from the piece's
// first byte, low bit first, as deflate packs them.
struct Piece {
  std::size_t at = 0;     // where its room in the stream buffer starts
  std::size_t room = 0;   // its compressed bound, without kJoinBytes
  std::size_t bytes = 0;  // what it compressed to
  FinalBlock finalBlock;
  std::uint32_t adler = 1;
  bool ok = false;
};

// Compresses piece k into its room, and reads back where it ends unless
// it is the last.
void CompressPiece(std::uint8_t* data, const std::vector<std::size_t>& ends,
                   std::size_t k,
                   const std::function<void(std::size_t)>& prepare,
                   libdeflate_compressor* compressor, std::uint8_t* stream,
                   Piece* piece) {
  const std::size_t begin = k == 0 ? 0 : ends[k - 1];
  const std::size_t size = ends[k] - begin;
  prepare(k);
  std::uint8_t* room = stream + piece->at;
  piece->bytes = libdeflate_deflate_compress(compressor, data + begin, size,
                                             room, piece->room);
  if (piece->bytes == 0) return;  // cannot happen within the bound
  piece->adler =
      static_cast<std::uint32_t>(libdeflate_adler32(1, data + begin, size));
  piece->ok = k + 1 == ends.size() ||
              FindFinalBlock(room, piece->bytes, &piece->finalBlock);
}

// Makes a piece that is not the last go on into the next: its final block
// is no longer final, and an empty stored block, whose three header bits
// follow that block's end, pads it to a byte. Returns its length then.
std::size_t Continue(std::uint8_t* room, const Piece& piece) {
  room[piece.finalBlock.headerBit / 8] &=
      static_cast<std::uint8_t>(~(1u << (piece.finalBlock.headerBit % 8)));
  const std::size_t headerEnd = piece.finalBlock.endBit + 3;
  const std::size_t padded = (headerEnd + 7) / 8;
  // Every bit from the end of the block on is zero: the stored block's
  // header (not final, stored) and its padding.
  if (piece.finalBlock.endBit % 8 != 0) {
    room[piece.finalBlock.endBit / 8] &=
        static_cast<std::uint8_t>((1u << (piece.finalBlock.endBit % 8)) - 1);
  }
  for (std::size_t i = (piece.finalBlock.endBit + 7) / 8; i < padded; ++i)
    room[i] = 0;
  std::memcpy(room + padded, kStoredEmpty, sizeof kStoredEmpty);
  return padded + sizeof kStoredEmpty;
}

}  // namespace

bool DeflatePieces(std::uint8_t* data, const std::vector<std::size_t>& ends,
                   const std::function<void(std::size_t piece)>& prepare,
                   std::int32_t threads, PictureBuffer<std::uint8_t>* stream,
                   std::size_t* length) {
  Compressor first(libdeflate_alloc_compressor(1));
  if (first == nullptr) return false;
  std::vector<Piece> pieces(ends.size());
  std::size_t at = sizeof kZlibHeader;
  for (std::size_t k = 0; k < ends.size(); ++k) {
    const std::size_t size = ends[k] - (k == 0 ? 0 : ends[k - 1]);
    pieces[k].at = at;
    pieces[k].room = libdeflate_deflate_compress_bound(first.get(), size);
    at += pieces[k].room + kJoinBytes;
  }
  *stream = PictureBuffer<std::uint8_t>(at + 4);
  std::uint8_t* out = stream->data();

  std::atomic<std::size_t> next{0};
  // Takes pieces until none is left; false only if memory ran out.
  auto work = [&](libdeflate_compressor* compressor) {
    for (std::size_t k = next++; k < pieces.size(); k = next++) {
      try {
        CompressPiece(data, ends, k, prepare, compressor, out, &pieces[k]);
      } catch (const std::bad_alloc&) {
        pieces[k].ok = false;
      }
    }
  };
  std::vector<std::thread> helpers;
  const std::size_t helperCount =
      std::min<std::size_t>(threads > 1 ? threads - 1 : 0, pieces.size() - 1);
  for (std::size_t t = 0; t < helperCount; ++t) {
    try {
      helpers.emplace_back([&] {
        Compressor own(libdeflate_alloc_compressor(1));
        // Without a compressor of its own this thread takes no piece; the
        // others take them all.
        if (own != nullptr) work(own.get());
      });
    } catch (const std::system_error&) {
      break;  // fewer threads do the same work
    }
  }
  work(first.get());
  for (std::thread& helper : helpers) helper.join();

  // The pieces moved together, in order; each only ever moves back.
  std::memcpy(out, kZlibHeader, sizeof kZlibHeader);
  std::size_t end = sizeof kZlibHeader;
  std::uint32_t adler = 1;
  for (std::size_t k = 0; k < pieces.size(); ++k) {
    const Piece& piece = pieces[k];
    if (!piece.ok) return false;
    std::uint8_t* room = out + piece.at;
    const std::size_t bytes =
        k + 1 == pieces.size() ? piece.bytes : Continue(room, piece);
    std::memmove(out + end, room, bytes);
    end += bytes;
    const std::size_t size = ends[k] - (k == 0 ? 0 : ends[k - 1]);
    adler = static_cast<std::uint32_t>(
        adler32_combine(adler, piece.adler, static_cast<z_off_t>(size)));
  }
  for (int shift = 24; shift >= 0; shift -= 8) {
    out[end++] = static_cast<std::uint8_t>(adler >> shift);
  }
  *length = end;
  return true;
}

}  // namespace mandeldive
