#include "host/x11/x11_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace mandeldive {
namespace {

bool Parse(std::vector<const char*> args, X11Options* o, std::string* error) {
  args.insert(args.begin(), "mandeldive");
  return ParseX11Args(static_cast<int>(args.size()), args.data(), o, error);
}

TEST(X11Options, BothDashSpellingsAndEveryTarget) {
  X11Options o;
  std::string error;
  ASSERT_TRUE(Parse({}, &o, &error));
  EXPECT_EQ(o.target, X11Target::OwnWindow);
  ASSERT_TRUE(
      Parse({"-root", "-mandelbrot-color", "3", "--background-color", "14"}, &o,
            &error));
  EXPECT_EQ(o.target, X11Target::Root);
  EXPECT_EQ(o.mandelbrotColor, 3u);
  EXPECT_EQ(o.backgroundColor, 14u);
  ASSERT_TRUE(Parse({"--window-id", "0x2a00007"}, &o, &error));
  EXPECT_EQ(o.target, X11Target::WindowId);
  EXPECT_EQ(o.windowId, 0x2a00007u);
  ASSERT_TRUE(Parse({"-window-id", "4194311", "--root"}, &o, &error));
  EXPECT_EQ(o.target, X11Target::Root);  // the last one says
}

// --wayland and an X window do not mix, in either order; its own window
// is what the program does without a target, so -window says nothing.
TEST(X11Options, WaylandTakesNoXWindow) {
  struct {
    std::vector<const char*> args;
    bool ok;
  } const cases[] = {
      {{"--wayland"}, true},
      {{"-window", "--wayland", "--delay", "0"}, true},
      {{"--wayland", "-root"}, false},
      {{"-root", "--wayland"}, false},
      {{"--wayland", "-window-id", "0x2a00007"}, false},
      {{"-window-id", "7", "-wayland"}, false},
  };
  for (const auto& c : cases) {
    X11Options o;
    std::string error;
    EXPECT_EQ(Parse(c.args, &o, &error), c.ok) << c.args.back();
    if (c.ok) {
      EXPECT_EQ(o.target, X11Target::Wayland);
    } else {
      EXPECT_NE(error.find("--wayland"), std::string::npos) << error;
    }
  }
}

// --lock goes with none of the other targets, and --daemonize (-f) only
// with it.
TEST(X11Options, LockAloneAndDaemonizeWithIt) {
  struct {
    std::vector<const char*> args;
    bool ok, daemonize;
  } const cases[] = {
      {{"--lock"}, true, false},
      {{"-lock", "-f", "--delay", "0"}, true, true},
      {{"--daemonize", "--lock"}, true, true},
      {{"-window", "--lock"}, true, false},
      {{"--lock", "--wayland"}, false, false},
      {{"--wayland", "--lock"}, false, false},
      {{"--lock", "-root"}, false, false},
      {{"-window-id", "7", "--lock"}, false, false},
      {{"-f"}, false, false},
      {{"--wayland", "--daemonize"}, false, false},
  };
  for (const auto& c : cases) {
    X11Options o;
    std::string error;
    EXPECT_EQ(Parse(c.args, &o, &error), c.ok) << c.args[0] << " " << error;
    if (c.ok) {
      EXPECT_EQ(o.target, X11Target::Lock);
      EXPECT_EQ(o.daemonize, c.daemonize);
    } else {
      EXPECT_TRUE(error.find("--lock") != std::string::npos) << error;
    }
  }
}

TEST(X11Options, VersionUnlessHelp) {
  struct {
    std::vector<const char*> args;
    bool help, version;
  } const cases[] = {
      {{"-version"}, false, true},
      {{"--version", "-root"}, false, true},
      {{"-help", "-version"}, true, false},
      {{"-root"}, false, false},
  };
  for (const auto& c : cases) {
    X11Options o;
    std::string error;
    ASSERT_TRUE(Parse(c.args, &o, &error)) << c.args[0] << ": " << error;
    EXPECT_EQ(o.help, c.help) << c.args[0];
    EXPECT_EQ(o.version, c.version) << c.args[0];
  }
}

TEST(X11Options, BadInputNamesTheProblem) {
  const std::vector<std::vector<const char*>> bad = {
      {"-bogus"},
      {"-window-id"},
      {"-window-id", "0x"},
      {"-window-id", "12z"},
      {"-window-id", "0"},
      {"-window-id", "0xfffffffffffffffff"},
      {"--mandelbrot-color", "9"},
      {"--background-color", "15"},
      {"--background-color", "-1"},
      {"--delay"},
      {"--delay", "-1"},
      {"--delay", "3601"},
      {"--delay", "0.5"},
      {"-delay", ""},
  };
  for (const auto& args : bad) {
    X11Options o;
    std::string error;
    EXPECT_FALSE(Parse(args, &o, &error)) << args[0];
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(error.find('\n'), std::string::npos);
  }
}

TEST(X11Options, WindowIdsAsXscreensaverWritesThem) {
  std::uint64_t id = 0;
  EXPECT_TRUE(ParseWindowId("0x1E00003", &id));
  EXPECT_EQ(id, 0x1E00003u);
  EXPECT_TRUE(ParseWindowId("31457283", &id));
  EXPECT_EQ(id, 31457283u);
  EXPECT_FALSE(ParseWindowId("", &id));
  EXPECT_FALSE(ParseWindowId(" 12", &id));
}

// An X window id has 29 bits, in either spelling.
TEST(X11Options, WindowIdsStopAt29Bits) {
  struct {
    const char* text;
    bool ok;
  } const cases[] = {
      {"0x1fffffff", true},
      {"536870911", true},
      {"0x20000000", false},
      {"536870912", false},
      {"0xffffffff", false},
      {"4294967295", false},
      {"0xffffffffffffffff", false},
      {"0x0000000000001", true},
      {"0x0", false},
      {"0X1A", true},
  };
  for (const auto& c : cases) {
    std::uint64_t id = 0;
    EXPECT_EQ(ParseWindowId(c.text, &id), c.ok) << c.text;
    if (c.ok) {
      EXPECT_LE(id, kMaxWindowId) << c.text;
    }
  }
}

TEST(X11Options, DelayInWholeSeconds) {
  X11Options o;
  std::string error;
  ASSERT_TRUE(Parse({}, &o, &error));
  EXPECT_EQ(o.delaySeconds, 5);
  ASSERT_TRUE(Parse({"-delay", "0"}, &o, &error));
  EXPECT_EQ(o.delaySeconds, 0);
  ASSERT_TRUE(Parse({"--delay", "3600"}, &o, &error));
  EXPECT_EQ(o.delaySeconds, 3600);
}

}  // namespace
}  // namespace mandeldive
