#include "cli/render_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/option_words.h"
#include "engine/colour_schemes.h"

namespace mandeldive {
namespace {

bool Parse(std::vector<const char*> args, RenderOptions* o,
           std::string* error) {
  args.insert(args.begin(), "mandeldive-render");
  return ParseRenderArgs(static_cast<int>(args.size()), args.data(), o, error);
}

TEST(RenderOptions, DefaultsAndEveryOption) {
  RenderOptions o;
  std::string error;
  ASSERT_TRUE(Parse({"-o", "a.png"}, &o, &error)) << error;
  EXPECT_EQ(o.width, 800);
  EXPECT_EQ(o.height, 600);
  EXPECT_EQ(o.mandelbrotColor, 0u);
  EXPECT_EQ(o.backgroundColor, 0u);
  EXPECT_EQ(o.ticks, 1);
  EXPECT_FALSE(o.fixedTime);
  ASSERT_TRUE(Parse(
      {"--size", "16384x1", "--mandelbrot-color", "8", "--background-color",
       "14", "--ticks", "0", "--time", "0", "--frames", "out", "-o", "b.png"},
      &o, &error))
      << error;
  EXPECT_EQ(o.width, 16384);
  EXPECT_EQ(o.height, 1);
  EXPECT_EQ(o.mandelbrotColor, 8u);
  EXPECT_EQ(o.backgroundColor, 14u);
  EXPECT_EQ(o.ticks, 0);
  EXPECT_TRUE(o.fixedTime);
  EXPECT_EQ(o.time, 0);
  EXPECT_EQ(o.framesDir, "out");
  EXPECT_EQ(o.output, "b.png");
}

TEST(RenderOptions, BadInputNamesTheProblem) {
  struct {
    std::vector<const char*> args;
    const char* mentions;
  } const cases[] = {
      {{}, "no output"},
      {{"--size", "800x600"}, "no output"},
      {{"-o"}, "needs a value"},
      {{"--bogus", "-o", "a.png"}, "unknown option '--bogus'"},
      {{"-o", "a.png", "extra"}, "unknown option 'extra'"},
      {{"--size", "800", "-o", "a.png"}, "size '800'"},
      {{"--size", "0x600", "-o", "a.png"}, "size"},
      {{"--size", "16385x600", "-o", "a.png"}, "size"},
      {{"--size", "800x600x3", "-o", "a.png"}, "size"},
      {{"--size", "-800x600", "-o", "a.png"}, "size"},
      {{"--size", "800X600", "-o", "a.png"}, "size"},
      {{"--size", " 800x600", "-o", "a.png"}, "size"},
      {{"--mandelbrot-color", "9", "-o", "a.png"}, "0..8"},
      {{"--mandelbrot-color", "-1", "-o", "a.png"}, "0..8"},
      {{"--mandelbrot-color", "", "-o", "a.png"}, "0..8"},
      {{"--background-color", "15", "-o", "a.png"}, "0..14"},
      {{"--background-color", "0x3", "-o", "a.png"}, "0..14"},
      {{"--background-color", "99999999999999999999", "-o", "a.png"}, "0..14"},
      {{"--ticks", "1.5", "-o", "a.png"}, "ticks"},
      {{"--time", "-1", "-o", "a.png"}, "time"},
      {{"--frames", "", "-o", "a.png"}, "frames"},
      {{"-o", ""}, "output"},
  };
  for (const auto& c : cases) {
    RenderOptions o;
    std::string error;
    EXPECT_FALSE(Parse(c.args, &o, &error)) << c.mentions;
    EXPECT_NE(error.find(c.mentions), std::string::npos) << error;
    EXPECT_EQ(error.find('\n'), std::string::npos);
  }
}

// The spellings getopt_long_only takes, and the ones it must refuse.
TEST(RenderOptions, OneDashOrTwoAndTheValueJoinedOrApart) {
  struct {
    std::vector<const char*> args;
    std::int32_t width;  // 0: refused
    const char* mentions;
  } const cases[] = {
      {{"-size", "10x20", "-o", "a.png"}, 10, ""},
      {{"--size=10x20", "-o", "a.png"}, 10, ""},
      {{"-size=10x20", "-o=a.png"}, 10, ""},
      {{"--si", "10x20", "-o", "a.png"}, 10, ""},  // a unique prefix
      {{"-t", "5", "-o", "a.png"}, 0, "unknown option '-t'"},  // ticks, time
      {{"--size", "10x20", "--", "-o", "a.png"}, 0, "unknown option '-o'"},
      {{"-o", "a.png", "--literal=yes"}, 0, "unknown option '--literal=yes'"},
      {{"--size"}, 0, "option --size needs a value"},
      // A value glued to a one-letter name after one dash.
      {{"--size", "10x20", "-output.png"}, 0, "unknown option '-output.png'"},
      {{"-oa.png"}, 0, "unknown option '-oa.png'"},
  };
  for (const auto& c : cases) {
    RenderOptions o;
    std::string error;
    const bool ok = Parse(c.args, &o, &error);
    EXPECT_EQ(ok, c.width != 0) << c.args[0] << ": " << error;
    if (ok) {
      EXPECT_EQ(o.width, c.width);
      EXPECT_EQ(o.output, "a.png");
    } else {
      EXPECT_NE(error.find(c.mentions), std::string::npos) << error;
    }
  }
}

TEST(RenderOptions, AnimationAndItsFrameTime) {
  RenderOptions o;
  std::string error;
  ASSERT_TRUE(Parse({"-o", "a.png", "--animation", "d.webp"}, &o, &error));
  EXPECT_EQ(o.animation, "d.webp");
  EXPECT_EQ(o.frameMs, kTickIntervalMs);
  ASSERT_TRUE(Parse({"-o", "a.png", "--frame-ms", "250"}, &o, &error));
  EXPECT_EQ(o.frameMs, 250);
  for (const char* bad : {"0", "3600001", "1.5", ""}) {
    EXPECT_FALSE(Parse({"-o", "a.png", "--frame-ms", bad}, &o, &error)) << bad;
    EXPECT_NE(error.find("frame time"), std::string::npos) << error;
  }
  EXPECT_FALSE(Parse({"-o", "a.png", "--animation", ""}, &o, &error));
}

// The usage is made from the tables it describes.
TEST(RenderOptions, UsageNamesTheTablesRanges) {
  const std::string usage = RenderUsage();
  EXPECT_NE(usage.find("0.." + std::to_string(kInsideSchemeCount - 1)),
            std::string::npos);
  EXPECT_NE(usage.find("0.." + std::to_string(kEscapeSchemeCount - 1)),
            std::string::npos);
  EXPECT_NE(usage.find("a whole dive is 23"), std::string::npos);
  for (const char* option : {"--size", "--mandelbrot-color", "--ticks",
                             "--frames", "--animation", "--frame-ms", "-o "}) {
    EXPECT_NE(usage.find(option), std::string::npos) << option;
  }
}

TEST(RenderOptions, HelpAndVersionNeedNoOutput) {
  struct {
    std::vector<const char*> args;
    bool help, version;
  } const cases[] = {
      {{"--help"}, true, false},
      {{"--version"}, false, true},
      {{"-version"}, false, true},
      {{"--version", "--help"}, true, false},
      {{"--size", "9x9", "--version"}, false, true},
  };
  for (const auto& c : cases) {
    RenderOptions o;
    std::string error;
    ASSERT_TRUE(Parse(c.args, &o, &error)) << c.args[0] << ": " << error;
    EXPECT_EQ(o.help, c.help) << c.args[0];
    EXPECT_EQ(o.version, c.version) << c.args[0];
  }
}

}  // namespace
}  // namespace mandeldive

namespace mandeldive {
namespace {

// Error messages echo what was typed; they must stay one printable line.
TEST(Printable, KeepsMessagesOnOneLine) {
  struct {
    std::string word;
    std::string shown;
  } const cases[] = {
      {"--size", "--size"},
      {"a\nb", "a\\x0ab"},
      {"\x1b[2J", "\\x1b[2J"},
      {"back\\slash", "back\\x5cslash"},
      {"caf\xc3\xa9", "caf\\xc3\\xa9"},
      {std::string(70, 'x'), std::string(64, 'x') + "..."},
  };
  for (const auto& c : cases) EXPECT_EQ(Printable(c.word), c.shown) << c.shown;
  std::string error;
  RenderOptions options;
  const char* argv[] = {"mandeldive-render", "--size", "1\n2", "-o", "x"};
  EXPECT_FALSE(ParseRenderArgs(5, argv, &options, &error));
  EXPECT_EQ(error.find('\n'), std::string::npos) << error;
}

}  // namespace
}  // namespace mandeldive

namespace mandeldive {
namespace {

TEST(ParseWholeNumber, DigitsOnlyInRangeWithAnyLeadingZeros) {
  struct {
    const char* text;
    bool ok;
    std::int64_t value;
  } const cases[] = {
      {"0", true, 0},
      {"42", true, 42},
      {"000000000000000000000000042", true, 42},
      {"999999999999999999", true, 999999999999999999},
      {"1000000000000000000", false, 0},  // 19 significant digits
      {"99999999999999999999999", false, 0},
      {"", false, 0},
      {"+1", false, 0},
      {" 1", false, 0},
      {"1 ", false, 0},
      {"0x10", false, 0},
  };
  for (const auto& c : cases) {
    std::int64_t v = -1;
    EXPECT_EQ(ParseWholeNumber(c.text, 0, 999999999999999999, &v), c.ok)
        << c.text;
    if (c.ok) {
      EXPECT_EQ(v, c.value) << c.text;
    }
  }
}

}  // namespace
}  // namespace mandeldive
