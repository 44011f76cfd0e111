// The two fixed lists of colour schemes: one for points inside the set, one
// for escaping points. Their labels are the settings dialog's, and their
// order is that of the stored scheme numbers.
//
// The tables are defined here, in full, so that their sizes are the one
// source of the scheme counts, and so that every column function below is
// its scheme's colour function inlined into a loop.
#ifndef MANDELDIVE_ENGINE_COLOUR_SCHEMES_H_
#define MANDELDIVE_ENGINE_COLOUR_SCHEMES_H_

#include <cmath>
#include <cstdint>
#include <iterator>

#include "engine/colour.h"
#include "engine/escape_iterate.h"

namespace mandeldive {

// A colour computed from a point's iteration result. Flat schemes ignore it.
using SchemeColourFn = ColorRef (*)(const EscapeResult& point);

// The same colour for a run of a column: out[k] = ShownColour(colour of
// points[k]) for every k whose points[k].inside equals `inside`; the other
// entries of out are left as they are. The fast render pass uses it; the
// literal pass uses colour itself, the oracle.
using SchemeColumnFn = void (*)(const EscapeResult* points, std::int32_t count,
                                bool inside, ColorRef* out);

// A scheme whose colour is linear in the two channels:
// zrTerm x Channel(zr) + ziTerm x Channel(zi) + constant. Flat schemes are
// (0, 0, colour); every two-channel mix is one too. The fast pass colours
// a column in one branch-free loop when both of a frame's schemes are.
struct LinearColour {
  bool linear;
  ColorRef zrTerm;
  ColorRef ziTerm;
  ColorRef constant;
};

struct ColourScheme {
  const char* label;
  SchemeColourFn colour;
  SchemeColumnFn column;
  LinearColour terms;  // linear false: the colour is not of that form
};

// trunc(v) toward zero as a 64-bit integer, keeping its low 32 bits. Values
// beyond the 64-bit range (and NaN) give 0, as the x86 conversion's
// "integer indefinite" result does, so every target agrees.
inline std::int32_t TruncLow32(double v) {
  // 2^63: the first magnitude the conversion cannot represent.
  constexpr double kLimit = 9223372036854775808.0;
  if (!(v > -kLimit && v < kLimit)) return 0;
  const auto wide = static_cast<std::int64_t>(v);
  return static_cast<std::int32_t>(
      static_cast<std::uint32_t>(static_cast<std::uint64_t>(wide)));
}

// A colour channel from a coordinate, as plainly defined:
// |trunc(v x 255)| mod 255, 0..254. The oracle of Channel and
// ColumnChannels.
inline std::uint32_t ChannelLiteral(double v) {
  std::int64_t t = TruncLow32(v * 255.0);
  if (t < 0) t = -t;
  return static_cast<std::uint32_t>(t % 255);
}

// ChannelLiteral, quicker. Below 2^31 in magnitude the truncation fits an
// int32, so its low 32 bits are itself, and |trunc(v)| is trunc(|v|). Every
// coordinate the iteration leaves is far below that; the rest (and NaN)
// take the literal way.
inline std::uint32_t Channel(double v) {
  const double magnitude = std::fabs(v * 255.0);
  if (magnitude < 2147483648.0) {
    return static_cast<std::uint32_t>(static_cast<std::int32_t>(magnitude)) %
           255u;
  }
  return ChannelLiteral(v);
}

// A two-channel scheme: a colour from Channel(zr) and Channel(zi).
using ChannelMixFn = ColorRef (*)(std::uint32_t zrChannel,
                                  std::uint32_t ziChannel);

namespace schemes {

using P = const EscapeResult&;

constexpr ColorRef Flat0(P) { return 0x000000; }
constexpr ColorRef FlatWhite(P) { return 0xFFFFFF; }
constexpr ColorRef FlatRed(P) { return 0x0000FF; }
constexpr ColorRef FlatGreen(P) { return 0x00FF00; }
constexpr ColorRef FlatBlue(P) { return 0xFF0000; }
constexpr ColorRef FlatYellow(P) { return 0x00FFFF; }
constexpr ColorRef FlatOrange(P) { return 0x0080FF; }

// The schemes mixed from the two channels, Channel(zr) and Channel(zi).
constexpr ColorRef RedGreen(std::uint32_t r, std::uint32_t i) {
  return MakeColour(r, i, 30);
}
constexpr ColorRef GreenPurple(std::uint32_t r, std::uint32_t i) {
  return MakeColour(r, i, r);
}
constexpr ColorRef BlackWhite(std::uint32_t, std::uint32_t i) {
  return MakeColour(i, i, i);
}
constexpr ColorRef RedBlue(std::uint32_t r, std::uint32_t i) {
  return MakeColour(i, r, r);
}
constexpr ColorRef YellowBlue(std::uint32_t r, std::uint32_t i) {
  return MakeColour(r, r, i);
}
inline ColorRef Fantastic(P p) {
  return static_cast<ColorRef>(p.n * p.n * p.n);
}
inline ColorRef FuturisticI(P p) {
  return static_cast<ColorRef>(TruncLow32(p.zr * 100000.0));
}
inline ColorRef FuturisticII(P p) {
  return static_cast<ColorRef>(TruncLow32(p.zi * 1000.0));
}
inline ColorRef BlackShadow(P p) {
  const auto c = static_cast<std::uint32_t>(p.n);
  return MakeColour(c, c, c);
}

// F over a run of a column, as SchemeColumnFn describes.
template <SchemeColourFn F>
void Column(const EscapeResult* points, std::int32_t count, bool inside,
            ColorRef* out) {
  for (std::int32_t k = 0; k < count; ++k) {
    if (points[k].inside == inside) out[k] = ShownColour(F(points[k]));
  }
}

// A two-channel scheme's colour function.
template <ChannelMixFn Mix>
ColorRef Mixed(P p) {
  return Mix(Channel(p.zr), Channel(p.zi));
}

// Every mix puts one channel or a constant in each byte of the colour, so
// it is linear: Mix(r, i) = r x kZr + i x kZi + kConstant.
template <ChannelMixFn Mix>
struct MixTerms {
  static constexpr ColorRef kConstant = Mix(0, 0);
  static constexpr ColorRef kZr = Mix(1, 0) - kConstant;
  static constexpr ColorRef kZi = Mix(0, 1) - kConstant;
};

// Its column form.
template <ChannelMixFn Mix>
void MixedColumn(const EscapeResult* points, std::int32_t count, bool inside,
                 ColorRef* out) {
  for (std::int32_t k = 0; k < count; ++k) {
    const EscapeResult& p = points[k];
    if (p.inside == inside) out[k] = Mix(Channel(p.zr), Channel(p.zi));
  }
}

}  // namespace schemes

// Table rows: the label and the colour function, with its column form and,
// for flat and mixed schemes, its linear terms.
template <SchemeColourFn F>
constexpr ColourScheme Scheme(const char* label) {
  return {label, F, schemes::Column<F>, {false, 0, 0, 0}};
}
template <SchemeColourFn F>
constexpr ColourScheme FlatScheme(const char* label) {
  return {label, F, schemes::Column<F>, {true, 0, 0, F(EscapeResult{})}};
}
template <ChannelMixFn Mix>
constexpr ColourScheme MixedScheme(const char* label) {
  using Terms = schemes::MixTerms<Mix>;
  return {label,
          schemes::Mixed<Mix>,
          schemes::MixedColumn<Mix>,
          {true, Terms::kZr, Terms::kZi, Terms::kConstant}};
}

inline constexpr ColourScheme kInsideSchemes[] = {
    FlatScheme<schemes::Flat0>("Black"),
    FlatScheme<schemes::FlatWhite>("White"),
    FlatScheme<schemes::FlatRed>("Red"),
    FlatScheme<schemes::FlatGreen>("Green"),
    FlatScheme<schemes::FlatBlue>("Blue"),
    FlatScheme<schemes::FlatYellow>("Yellow"),
    FlatScheme<schemes::FlatOrange>("Orange"),
    MixedScheme<schemes::RedGreen>("Red + green"),
    MixedScheme<schemes::GreenPurple>("Green + purple"),
};

inline constexpr ColourScheme kEscapeSchemes[] = {
    FlatScheme<schemes::FlatWhite>("White"),
    FlatScheme<schemes::Flat0>("Black"),
    FlatScheme<schemes::FlatRed>("Red"),
    FlatScheme<schemes::FlatGreen>("Green"),
    FlatScheme<schemes::FlatBlue>("Blue"),
    FlatScheme<schemes::FlatYellow>("Yellow"),
    FlatScheme<schemes::FlatOrange>("Orange"),
    MixedScheme<schemes::BlackWhite>("Back + white"),
    MixedScheme<schemes::RedBlue>("Red + blue"),
    MixedScheme<schemes::GreenPurple>("Green + purple"),
    MixedScheme<schemes::YellowBlue>("Yellow + blue"),
    Scheme<schemes::Fantastic>("Fantastic"),
    Scheme<schemes::FuturisticI>("Futuristic I"),
    Scheme<schemes::FuturisticII>("Futuristic II"),
    Scheme<schemes::BlackShadow>("Black shadow"),
};

constexpr std::uint32_t kInsideSchemeCount = std::size(kInsideSchemes);
constexpr std::uint32_t kEscapeSchemeCount = std::size(kEscapeSchemes);

// The scheme of an index, or null when the index is out of range (a number
// from a hand-edited registry): such a scheme draws nothing.
inline const ColourScheme* InsideScheme(std::uint32_t index) {
  return index < kInsideSchemeCount ? &kInsideSchemes[index] : nullptr;
}
inline const ColourScheme* EscapeScheme(std::uint32_t index) {
  return index < kEscapeSchemeCount ? &kEscapeSchemes[index] : nullptr;
}

}  // namespace mandeldive

#endif  // MANDELDIVE_ENGINE_COLOUR_SCHEMES_H_
