#include "engine/colour_schemes.h"

namespace mandeldive {

std::int32_t TruncLow32(double v) {
  // 2^63: the first magnitude the conversion cannot represent.
  constexpr double kLimit = 9223372036854775808.0;
  if (!(v > -kLimit && v < kLimit)) return 0;
  const auto wide = static_cast<std::int64_t>(v);
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(
      static_cast<std::uint64_t>(wide)));
}

std::uint32_t Channel(double v) {
  std::int64_t t = TruncLow32(v * 255.0);
  if (t < 0) t = -t;
  return static_cast<std::uint32_t>(t % 255);
}

namespace {

using P = const EscapeResult&;

constexpr ColorRef Flat0(P) { return 0x000000; }
constexpr ColorRef FlatWhite(P) { return 0xFFFFFF; }
constexpr ColorRef FlatRed(P) { return 0x0000FF; }
constexpr ColorRef FlatGreen(P) { return 0x00FF00; }
constexpr ColorRef FlatBlue(P) { return 0xFF0000; }
constexpr ColorRef FlatYellow(P) { return 0x00FFFF; }
constexpr ColorRef FlatOrange(P) { return 0x0080FF; }

ColorRef RedGreen(P p) { return MakeColour(Channel(p.zr), Channel(p.zi), 30); }
ColorRef GreenPurple(P p) {
  return MakeColour(Channel(p.zr), Channel(p.zi), Channel(p.zr));
}
ColorRef BlackWhite(P p) {
  const std::uint32_t c = Channel(p.zi);
  return MakeColour(c, c, c);
}
ColorRef RedBlue(P p) {
  return MakeColour(Channel(p.zi), Channel(p.zr), Channel(p.zr));
}
ColorRef YellowBlue(P p) {
  return MakeColour(Channel(p.zr), Channel(p.zr), Channel(p.zi));
}
ColorRef Fantastic(P p) {
  return static_cast<ColorRef>(p.n * p.n * p.n);
}
ColorRef FuturisticI(P p) {
  return static_cast<ColorRef>(TruncLow32(p.zr * 100000.0));
}
ColorRef FuturisticII(P p) {
  return static_cast<ColorRef>(TruncLow32(p.zi * 1000.0));
}
ColorRef BlackShadow(P p) {
  const auto c = static_cast<std::uint32_t>(p.n);
  return MakeColour(c, c, c);
}

}  // namespace

const ColourScheme kInsideSchemes[kInsideSchemeCount] = {
    {"Black", Flat0},
    {"White", FlatWhite},
    {"Red", FlatRed},
    {"Green", FlatGreen},
    {"Blue", FlatBlue},
    {"Yellow", FlatYellow},
    {"Orange", FlatOrange},
    {"Red + green", RedGreen},
    {"Green + purple", GreenPurple},
};

const ColourScheme kEscapeSchemes[kEscapeSchemeCount] = {
    {"White", FlatWhite},
    {"Black", Flat0},
    {"Red", FlatRed},
    {"Green", FlatGreen},
    {"Blue", FlatBlue},
    {"Yellow", FlatYellow},
    {"Orange", FlatOrange},
    {"Back + white", BlackWhite},
    {"Red + blue", RedBlue},
    {"Green + purple", GreenPurple},
    {"Yellow + blue", YellowBlue},
    {"Fantastic", Fantastic},
    {"Futuristic I", FuturisticI},
    {"Futuristic II", FuturisticII},
    {"Black shadow", BlackShadow},
};

}  // namespace mandeldive
