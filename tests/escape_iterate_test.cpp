// The worked points of the iteration and the colours every scheme gives
// them, compared bit for bit. These must hold on every target, so this file
// also runs as a 32- and 64-bit Windows program under Wine.
#include "engine/escape_iterate.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "engine/colour_schemes.h"

namespace mandeldive {
namespace {

struct WorkedPoint {
  double x, y;
  bool inside;
  std::int32_t n;
  double zr, zi;
};

const WorkedPoint kWorkedPoints[] = {
    {-0.75, 0.1, false, 32, -0.7471154017407056, 2.5991988956145367},
    {0.3, 0.5, true, 100, -0.12609726510143, -0.013403329515675355},
    {-2.0, 0.0, true, 100, 2.0, 0.0},
    {2.0, 1.0, false, 1, 5.0, 5.0},
};

TEST(EscapeIterate, WorkedPointsHoldBitForBit) {
  for (const WorkedPoint& p : kWorkedPoints) {
    SCOPED_TRACE(testing::Message() << "c = " << p.x << " + " << p.y << "i");
    const EscapeResult r = EscapeIterate(p.x, p.y);
    EXPECT_EQ(r.inside, p.inside);
    EXPECT_EQ(r.n, p.n);
    EXPECT_EQ(r.zr, p.zr);
    EXPECT_EQ(r.zi, p.zi);
  }
}

TEST(EscapeIterate, PointAtQuarterEscapesLateWithChannelMaximum) {
  const EscapeResult r = EscapeIterate(0.26, 0.0);
  EXPECT_FALSE(r.inside);
  EXPECT_EQ(r.n, 29);
  EXPECT_EQ(r.zr, 3.9988727543165012);
  EXPECT_EQ(Channel(r.zr), 254u);
  EXPECT_EQ(kEscapeSchemes[10].colour(r), 0x00FEFEu);
}

TEST(EscapeIterate, MagnitudeOfExactlyTwoDoesNotEscape) {
  // c = 2: z1 = 6 escapes; c = -2 sits at |z| = 2 for ever; c = 2i reaches
  // z1 = -4 + 2i at once; c = 0 stays at 0.
  EXPECT_TRUE(EscapeIterate(-2.0, 0.0).inside);
  EXPECT_EQ(EscapeIterate(2.0, 0.0).n, 1);
  EXPECT_EQ(EscapeIterate(0.0, 2.0).n, 1);
  EXPECT_TRUE(EscapeIterate(0.0, 0.0).inside);
  // The start itself is never tested: c = 3 is escaped only after z1.
  const EscapeResult far = EscapeIterate(3.0, 0.0);
  EXPECT_EQ(far.n, 1);
  EXPECT_EQ(far.zr, 12.0);
}

struct SchemeCase {
  double x, y;
  bool escape;  // which table
  std::uint32_t scheme;
  ColorRef colour;
};

const SchemeCase kSchemeCases[] = {
    {-0.75, 0.1, true, 7, 0x989898},    {-0.75, 0.1, true, 8, 0xBEBE98},
    {-0.75, 0.1, true, 9, 0xBE98BE},    {-0.75, 0.1, true, 10, 0x98BEBE},
    {-0.75, 0.1, true, 11, 0x008000},   {-0.75, 0.1, true, 12, 0xFFFEDC29},
    {-0.75, 0.1, true, 13, 0x00000A27}, {-0.75, 0.1, true, 14, 0x202020},
    {0.3, 0.5, false, 7, 0x1E0320},     {0.3, 0.5, false, 8, 0x200320},
    {2.0, 1.0, true, 11, 0x000001},     {2.0, 1.0, true, 12, 0x07A120},
    {2.0, 1.0, true, 13, 0x001388},     {2.0, 1.0, true, 14, 0x010101},
};

TEST(ColourSchemes, WorkedColours) {
  for (const SchemeCase& c : kSchemeCases) {
    SCOPED_TRACE(testing::Message() << (c.escape ? "escape " : "inside ")
                                    << c.scheme << " at " << c.x << "," << c.y);
    const EscapeResult r = EscapeIterate(c.x, c.y);
    const ColourScheme& scheme =
        c.escape ? kEscapeSchemes[c.scheme] : kInsideSchemes[c.scheme];
    EXPECT_EQ(scheme.colour(r), c.colour);
  }
}

TEST(ColourSchemes, FlatSchemesAndLabels) {
  const EscapeResult any = EscapeIterate(0.3, 0.5);
  const ColorRef flat[] = {0x000000, 0xFFFFFF, 0x0000FF, 0x00FF00,
                           0xFF0000, 0x00FFFF, 0x0080FF};
  for (std::uint32_t i = 0; i < 7; ++i) {
    // The two lists swap black and white in their first two rows.
    const ColorRef escapeFlat = i < 2 ? flat[1 - i] : flat[i];
    EXPECT_EQ(kInsideSchemes[i].colour(any), flat[i]) << i;
    EXPECT_EQ(kEscapeSchemes[i].colour(any), escapeFlat) << i;
  }
  EXPECT_STREQ(kInsideSchemes[7].label, "Red + green");
  EXPECT_STREQ(kEscapeSchemes[7].label, "Back + white");
  EXPECT_STREQ(kEscapeSchemes[14].label, "Black shadow");
  // One formula under two names.
  EXPECT_EQ(kInsideSchemes[8].colour(any), kEscapeSchemes[9].colour(any));
}

TEST(ColourSchemes, ChannelTruncatesTowardZeroAndStaysBelow255) {
  struct {
    double v;
    std::uint32_t channel;
  } const cases[] = {
      {0.0, 0},       {1.0, 0},    {-1.0, 0},
      {0.5, 127},     {-0.5, 127}, {0.999, 254},
      {2.0 / 255, 2}, {2.0, 0},    {3.9988727543165012, 254},
      {-0.0039, 0},   {100.0, 0},  {100.1, 25},
  };
  for (const auto& c : cases) EXPECT_EQ(Channel(c.v), c.channel) << c.v;
}

TEST(ColourSchemes, TruncationKeepsLow32BitsAndDefinesOverflow) {
  EXPECT_EQ(TruncLow32(-74711.54), -74711);
  EXPECT_EQ(TruncLow32(4294967296.0 + 5.0), 5);    // 2^32 + 5
  EXPECT_EQ(TruncLow32(2147483648.0), INT32_MIN);  // wraps
  EXPECT_EQ(TruncLow32(1e300), 0);                 // out of 64 bits
  EXPECT_EQ(TruncLow32(std::numeric_limits<double>::quiet_NaN()), 0);
}

// Coordinates around every edge of Channel's quick path: the int32 limits
// after scaling, where the literal conversion wraps, beyond 64 bits, NaN
// and the infinities, and a spread of ordinary values.
std::vector<double> EdgeCoordinates() {
  const double limit = 2147483648.0 / 255.0;
  std::vector<double> values = {0.0,
                                -0.0,
                                1.0,
                                -1.0,
                                254.0 / 255.0,
                                1.0 / 255.0,
                                limit,
                                -limit,
                                std::nextafter(limit, 0.0),
                                std::nextafter(-limit, 0.0),
                                std::nextafter(limit, 1e9),
                                4294967296.0 / 255.0,
                                1e17,
                                -1e17,
                                1e300,
                                -1e300,
                                std::numeric_limits<double>::infinity(),
                                -std::numeric_limits<double>::infinity(),
                                std::numeric_limits<double>::quiet_NaN(),
                                std::numeric_limits<double>::denorm_min()};
  std::uint64_t seed = 7;
  for (int k = 0; k < 4000; ++k) {
    seed = seed * 6364136223846793005ull + 1442695040888963407ull;
    const double unit = static_cast<double>(seed >> 11) / 9007199254740992.0;
    // Mostly the iteration's range, some far outside it.
    const double scale = k % 10 == 0 ? 1e12 : 8.0;
    values.push_back((unit - 0.5) * scale);
  }
  return values;
}

TEST(ColourSchemes, QuickChannelEqualsTheLiteralOne) {
  for (double v : EdgeCoordinates()) {
    EXPECT_EQ(Channel(v), ChannelLiteral(v)) << v;
  }
}

// The fast pass colours a column with each scheme's column form; it must
// give every point its colour function's shown colour and touch nothing
// of the other side.
TEST(ColourSchemes, ColumnFormsEqualTheColourFunctions) {
  const std::vector<double> coordinates = EdgeCoordinates();
  std::vector<EscapeResult> points;
  for (std::size_t k = 0; k + 1 < coordinates.size(); ++k) {
    points.push_back({k % 3 == 0, coordinates[k], coordinates[k + 1],
                      static_cast<std::int32_t>(k % 100)});
  }
  const auto count = static_cast<std::int32_t>(points.size());
  const struct {
    const ColourScheme* table;
    std::uint32_t size;
  } tables[] = {{kInsideSchemes, kInsideSchemeCount},
                {kEscapeSchemes, kEscapeSchemeCount}};
  constexpr ColorRef kUntouched = 0xFE000001u;
  for (const auto& t : tables) {
    for (std::uint32_t i = 0; i < t.size; ++i) {
      const ColourScheme& scheme = t.table[i];
      // A scheme that says it is linear in the channels is so, everywhere.
      if (scheme.terms.linear) {
        for (const EscapeResult& p : points) {
          ASSERT_EQ(Channel(p.zr) * scheme.terms.zrTerm +
                        Channel(p.zi) * scheme.terms.ziTerm +
                        scheme.terms.constant,
                    ShownColour(scheme.colour(p)))
              << scheme.label << " as linear terms";
        }
      }
      for (bool inside : {false, true}) {
        std::vector<ColorRef> out(points.size(), kUntouched);
        scheme.column(points.data(), count, inside, out.data());
        for (std::size_t k = 0; k < points.size(); ++k) {
          const ColorRef want = points[k].inside == inside
                                    ? ShownColour(scheme.colour(points[k]))
                                    : kUntouched;
          ASSERT_EQ(out[k], want) << scheme.label << ", point " << k;
        }
      }
    }
  }
}

}  // namespace
}  // namespace mandeldive
