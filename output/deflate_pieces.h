// One zlib stream (RFC 1950) of a buffer, compressed in pieces at once.
//
// libdeflate compresses a whole buffer at a time and ends what it writes as
// a stream of its own: its final block says it is the last. So each piece
// but the last is walked once to find where its final block begins and
// where it ends. That block's last-block bit is cleared, and an empty stored
// block after it brings the stream to a byte boundary, where the next piece
// begins. A piece starts without the one before as history, which costs a few
// hundred bytes a piece.
//
// Where the pieces fall is the caller's choice and the only thing the bytes
// depend on: any number of threads joins the same stream.
#ifndef MANDELDIVE_OUTPUT_DEFLATE_PIECES_H_
#define MANDELDIVE_OUTPUT_DEFLATE_PIECES_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "surface/picture_buffer.h"

namespace mandeldive {

// Compresses data[0, ends.back()) at libdeflate's level 1 into *stream, of
// which the first *length bytes are then the zlib stream; piece k is
// data[ends[k - 1], ends[k]), piece 0 starting at 0. Before piece k is
// read, prepare(k) runs on the thread that compresses it, to write the
// piece's bytes. Up to `threads` threads, the caller's among them, take
// the pieces in turn. Returns false if memory runs out; ends must hold at
// least one piece and rise.
bool DeflatePieces(std::uint8_t* data, const std::vector<std::size_t>& ends,
                   const std::function<void(std::size_t piece)>& prepare,
                   std::int32_t threads, PictureBuffer<std::uint8_t>* stream,
                   std::size_t* length);

}  // namespace mandeldive

#endif  // MANDELDIVE_OUTPUT_DEFLATE_PIECES_H_
