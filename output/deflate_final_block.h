// Where a raw deflate stream (RFC 1951) has its final block: the one whose
// header says no block follows. The stream is walked a code at a time, as
// a decoder reads it, but nothing is decoded: only where each code ends
// matters, so no output is written and no match is copied.
#ifndef MANDELDIVE_OUTPUT_DEFLATE_FINAL_BLOCK_H_
#define MANDELDIVE_OUTPUT_DEFLATE_FINAL_BLOCK_H_

#include <cstddef>
#include <cstdint>

namespace mandeldive {

// Bits count from the stream's first byte, low bit first, as deflate packs
// them.
struct FinalBlock {
  std::size_t headerBit = 0;  // the block's last-block bit
  std::size_t endBit = 0;     // the first bit after its end-of-block code
};

// Finds the final block of the stream in raw[0, bytes). False if the
// stream is not valid deflate or ends before its final block does.
bool FindFinalBlock(const std::uint8_t* raw, std::size_t bytes,
                    FinalBlock* found);

}  // namespace mandeldive

#endif  // MANDELDIVE_OUTPUT_DEFLATE_FINAL_BLOCK_H_
