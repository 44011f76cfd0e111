#include "output/deflate_final_block.h"

#include <cstring>
#include <vector>

namespace mandeldive {

namespace {

constexpr int kMaxCodeBits = 15;
constexpr int kLitLenSymbols = 288;
constexpr int kDistanceSymbols = 32;
constexpr int kEndOfBlock = 256;
// Extra bits after length symbols 257..285 and distance symbols 0..29.
constexpr std::uint8_t kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1,
                                           1, 1, 2, 2, 2, 2, 3, 3, 3, 3,
                                           4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::uint8_t kDistanceExtra[30] = {
    0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
    6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
// The order a dynamic block lists its code length code's lengths in.
constexpr std::uint8_t kLengthOrder[19] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                           11, 4,  12, 3, 13, 2, 14, 1, 15};

// The stream's bits, read at a position that only moves on, through a
// 64-bit buffer refilled a word at a time. Past the end they read as
// zeros; Overrun() then tells.
class Bits {
 public:
  Bits(const std::uint8_t* data, std::size_t bytes)
      : data_(data), bytes_(bytes) {}

  // The next n bits (n <= 32), not taken.
  std::uint32_t Peek(int n) {
    if (count_ < n) Refill();
    return static_cast<std::uint32_t>(buffer_) & ((std::uint32_t{1} << n) - 1);
  }
  // Takes n bits that Peek has made ready.
  void Skip(int n) {
    buffer_ >>= n;
    count_ -= n;
  }
  std::uint32_t Take(int n) {
    const std::uint32_t v = Peek(n);
    Skip(n);
    return v;
  }
  // Takes the rest of the byte, then `bytes` whole bytes.
  void SkipBytes(std::size_t bytes) {
    index_ = index_ - static_cast<std::size_t>(count_ / 8) + bytes;
    buffer_ = 0;
    count_ = 0;
  }
  std::size_t position() const {
    return index_ * 8 - static_cast<std::size_t>(count_);
  }
  bool Overrun() const { return position() > bytes_ * 8; }

 private:
  // Makes at least 56 bits ready. A whole word is or-ed in, though only
  // its whole bytes that fit are counted: the bits above the count are
  // then those of the bytes that come next, which the next refill or-s in
  // again at the same place.
  void Refill() {
    if (index_ + 8 <= bytes_) {
      std::uint64_t word = 0;
      for (int i = 7; i >= 0; --i) word = word << 8 | data_[index_ + i];
      buffer_ |= word << count_;
      const int taken = (63 - count_) / 8;
      index_ += static_cast<std::size_t>(taken);
      count_ += taken * 8;
      return;
    }
    for (; count_ <= 56; count_ += 8, ++index_) {
      const std::uint64_t byte = index_ < bytes_ ? data_[index_] : 0;
      buffer_ |= byte << count_;
    }
  }

  const std::uint8_t* data_;
  std::size_t bytes_;
  std::size_t index_ = 0;  // the next byte to load
  std::uint64_t buffer_ = 0;
  int count_ = 0;  // bits ready in buffer_
};

// A canonical Huffman code as a table indexed by the next `bits` bits of
// the stream: each entry holds a symbol and its code's length, or 0 where
// no code begins with those bits.
class Code {
 public:
  // False for lengths that over-subscribe the code.
  bool Build(const std::uint8_t* lengths, int symbols) {
    int count[kMaxCodeBits + 1] = {};
    bits_ = 1;
    for (int s = 0; s < symbols; ++s) {
      ++count[lengths[s]];
      if (lengths[s] > bits_) bits_ = lengths[s];
    }
    count[0] = 0;
    // The first code of each length, as RFC 1951 assigns them.
    int next[kMaxCodeBits + 1] = {};
    for (int len = 1, code = 0; len <= kMaxCodeBits; ++len) {
      code = (code + count[len - 1]) << 1;
      next[len] = code;
      if (code + count[len] > (1 << len)) return false;
    }
    table_.assign(std::size_t{1} << bits_, 0);
    for (int s = 0; s < symbols; ++s) {
      const int len = lengths[s];
      if (len == 0) continue;
      int reversed = 0;
      for (int c = next[len]++, i = 0; i < len; ++i, c >>= 1) {
        reversed = reversed << 1 | (c & 1);
      }
      for (std::size_t i = reversed; i < table_.size(); i += 1u << len) {
        table_[i] = static_cast<std::uint16_t>(s << 4 | len);
      }
    }
    return true;
  }
  // The next symbol, taken; -1 where no code matches.
  int Take(Bits* in) const {
    const std::uint16_t entry = table_[in->Peek(bits_)];
    if (entry == 0) return -1;
    in->Skip(entry & 15);
    return entry >> 4;
  }

 private:
  int bits_ = 1;
  std::vector<std::uint16_t> table_;
};

// Reads a dynamic block's header into its two codes.
bool ReadDynamicCodes(Bits* in, Code* litLen, Code* distance) {
  const int litLenCount = static_cast<int>(in->Take(5)) + 257;
  const int distanceCount = static_cast<int>(in->Take(5)) + 1;
  const int lengthCount = static_cast<int>(in->Take(4)) + 4;
  std::uint8_t lengthLengths[19] = {};
  for (int i = 0; i < lengthCount; ++i) {
    lengthLengths[kLengthOrder[i]] = static_cast<std::uint8_t>(in->Take(3));
  }
  Code lengthCode;
  if (!lengthCode.Build(lengthLengths, 19)) return false;
  std::uint8_t lengths[kLitLenSymbols + kDistanceSymbols] = {};
  const int total = litLenCount + distanceCount;
  for (int i = 0; i < total && !in->Overrun();) {
    const int symbol = lengthCode.Take(in);
    int repeat = 1;
    std::uint8_t value = static_cast<std::uint8_t>(symbol);
    if (symbol < 0) return false;
    if (symbol == 16) {
      if (i == 0) return false;
      value = lengths[i - 1];
      repeat = 3 + static_cast<int>(in->Take(2));
    } else if (symbol == 17) {
      value = 0;
      repeat = 3 + static_cast<int>(in->Take(3));
    } else if (symbol == 18) {
      value = 0;
      repeat = 11 + static_cast<int>(in->Take(7));
    }
    if (i + repeat > total) return false;
    std::memset(lengths + i, value, static_cast<std::size_t>(repeat));
    i += repeat;
  }
  if (lengths[kEndOfBlock] == 0) return false;
  return litLen->Build(lengths, litLenCount) &&
         distance->Build(lengths + litLenCount, distanceCount);
}

// Walks a compressed block's codes up to and past its end-of-block code.
bool WalkCodes(Bits* in, const Code& litLen, const Code& distance) {
  while (!in->Overrun()) {
    const int symbol = litLen.Take(in);
    if (symbol < 0 || symbol > 285) return false;
    if (symbol < kEndOfBlock) continue;
    if (symbol == kEndOfBlock) return true;
    in->Take(kLengthExtra[symbol - 257]);
    const int d = distance.Take(in);
    if (d < 0 || d >= 30) return false;
    in->Take(kDistanceExtra[d]);
  }
  return false;
}

}  // namespace

bool FindFinalBlock(const std::uint8_t* raw, std::size_t bytes,
                    FinalBlock* found) {
  Bits in(raw, bytes);
  Code litLen, distance;
  // Each round takes at least a block's three header bits.
  while (!in.Overrun()) {
    const std::size_t header = in.position();
    const bool final = in.Take(1) != 0;
    switch (in.Take(2)) {
      case 0: {  // stored: a byte boundary, the length and its complement
        in.Take(static_cast<int>((8 - in.position() % 8) % 8));
        const std::uint32_t length = in.Take(16);
        if ((in.Take(16) ^ 0xFFFFu) != length) return false;
        in.SkipBytes(length);
        break;
      }
      case 1: {  // the fixed codes
        std::uint8_t lengths[kLitLenSymbols];
        std::memset(lengths, 8, 144);
        std::memset(lengths + 144, 9, 112);
        std::memset(lengths + 256, 7, 24);
        std::memset(lengths + 280, 8, 8);
        std::uint8_t distances[kDistanceSymbols];
        std::memset(distances, 5, sizeof distances);
        litLen.Build(lengths, kLitLenSymbols);
        distance.Build(distances, kDistanceSymbols);
        if (!WalkCodes(&in, litLen, distance)) return false;
        break;
      }
      case 2:
        if (!ReadDynamicCodes(&in, &litLen, &distance) ||
            !WalkCodes(&in, litLen, distance)) {
          return false;
        }
        break;
      default:
        return false;
    }
    if (in.Overrun()) return false;
    if (final) {
      found->headerBit = header;
      found->endBit = in.position();
      return true;
    }
  }
  return false;
}

}  // namespace mandeldive
