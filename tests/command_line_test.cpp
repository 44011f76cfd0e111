#include "host/win32/command_line.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace mandeldive {
namespace {

TEST(CommandTail, SkipsTheProgramPathByItsQuotingRules) {
  struct {
    const char* line;
    const char* tail;
  } const cases[] = {
      {"saver.scr /s", "/s"},
      {"C:\\saver.scr   \t /p 1234", "/p 1234"},
      {"\"C:\\Program Files\\saver.scr\" /c:5", "/c:5"},
      {"\"C:\\Program Files\\saver.scr\"/s", "/s"},  // no blank needed
      {"\"C:\\unclosed quote /s", ""},               // the rest is the path
      {"saver.scr", ""},
      {"", ""},
      {"saver.scr \x01\x02 /S", "/S"},  // control bytes skipped
      {"sav\x01"
       "er.scr /s",
       "er.scr /s"},              // path ends at a control
      {"s\xE9ver.scr /s", "/s"},  // high bytes are text
  };
  for (const auto& c : cases) {
    EXPECT_EQ(std::string(CommandTail(c.line)), c.tail) << c.line;
  }
}

TEST(ChooseMode, FirstTwoCharactersInEitherCase) {
  struct {
    const char* tail;
    SaverMode mode;
    std::uint32_t host;
  } const cases[] = {
      {"/s", SaverMode::FullScreen, 0},
      {"/s extra", SaverMode::FullScreen, 0},
      {"/S", SaverMode::FullScreen, 0},  // Windows' own Test command
      {"/sx", SaverMode::FullScreen, 0},
      {"/p 1234", SaverMode::Preview, 1234},
      {"/p:1234", SaverMode::Preview, 1234},
      {"/P 1234", SaverMode::Preview, 1234},
      {"/p  +77", SaverMode::Preview, 77},
      {"/p", SaverMode::Preview, 0},
      {"/p ", SaverMode::Preview, 0},
      {"/p junk", SaverMode::Preview, 0},
      {"/p 12ab", SaverMode::Preview, 12},
      {"/p -1", SaverMode::Preview, 0xFFFFFFFFu},
      {"/p 99999999999", SaverMode::Preview, 0xFFFFFFFFu},
      {"", SaverMode::Settings, 0},
      {"/c", SaverMode::Settings, 0},
      {"/c:1234", SaverMode::Settings, 0},
      {"/a", SaverMode::Settings, 0},
      {"s", SaverMode::Settings, 0},
      {"-s", SaverMode::Settings, 0},
      {" /s", SaverMode::Settings, 0},
  };
  for (const auto& c : cases) {
    const LaunchRequest r = ChooseMode(c.tail);
    EXPECT_EQ(r.mode, c.mode) << c.tail;
    EXPECT_EQ(r.hostWindow, c.host) << c.tail;
  }
}

TEST(ParseUnsigned32, BehavesAsStrtoulWithA32BitLong) {
  struct {
    const char* text;
    std::uint32_t value;
    bool askRuntime;  // compare with the Windows runtime's strtoul too
  } const cases[] = {
      {"0", 0, true},
      {"4294967295", 0xFFFFFFFFu, true},
      {"4294967296", 0xFFFFFFFFu, true},
      // Out of range whatever the sign. Wine's runtime answers 1 here.
      {"-4294967296", 0xFFFFFFFFu, false},
      {"-1", 0xFFFFFFFFu, true},
      {"-4294967295", 1, true},
      {"\t\n 42", 42, true},
      {"+42x", 42, true},
      {"- 5", 0, true},
      {"", 0, true},
      {"0x10", 0, true},
      {"00000000000000000000007", 7, true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ParseUnsigned32(c.text), c.value) << c.text;
#ifdef _WIN32
    // Windows' own strtoul, whose unsigned long is 32 bits, is the oracle.
    if (c.askRuntime) {
      EXPECT_EQ(ParseUnsigned32(c.text), std::strtoul(c.text, nullptr, 10))
          << c.text;
    }
#endif
  }
}

}  // namespace
}  // namespace mandeldive
