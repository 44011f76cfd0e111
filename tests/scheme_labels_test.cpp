// The scheme tables are the one source of the labels; every place that
// repeats them for a user (xscreensaver's settings file, the man page, the
// Windows dialog and its control ids) must name the same labels in the same
// order. Likewise the engine's tick schedule, where the docs and scripts
// state it.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "engine/colour_schemes.h"
#include "engine/tick_timing.h"

namespace mandeldive {
namespace {

std::string Read(const std::string& relative) {
  std::ifstream in(std::string(MANDELDIVE_SOURCE_DIR) + "/" + relative);
  EXPECT_TRUE(in.good()) << relative;
  return std::string((std::istreambuf_iterator<char>(in)),
                     std::istreambuf_iterator<char>());
}

std::vector<std::string> Labels(const ColourScheme* table, std::uint32_t n) {
  std::vector<std::string> labels;
  for (std::uint32_t i = 0; i < n; ++i) labels.push_back(table[i].label);
  return labels;
}

// Every first capture group of pattern in text, in order.
std::vector<std::string> All(const std::string& text,
                             const std::string& pattern) {
  std::vector<std::string> found;
  const std::regex re(pattern);
  for (auto m = std::sregex_iterator(text.begin(), text.end(), re);
       m != std::sregex_iterator(); ++m) {
    found.push_back((*m)[1]);
  }
  return found;
}

struct Side {
  const char* option;   // mandelbrot-color
  const char* caption;  // the XML labels' prefix
  const char* idc;      // the dialog's control id prefix
  std::vector<std::string> labels;
};

std::vector<Side> Sides() {
  return {
      {"mandelbrot-color", "Mandelbrot color", "IDC_INSIDE_",
       Labels(kInsideSchemes, kInsideSchemeCount)},
      {"background-color", "Background color", "IDC_ESCAPE_",
       Labels(kEscapeSchemes, kEscapeSchemeCount)},
  };
}

TEST(SchemeLabels, TheXscreensaverSettingsFile) {
  const std::string xml = Read("host/x11/mandeldive.xml");
  for (const Side& side : Sides()) {
    SCOPED_TRACE(side.option);
    const std::smatch select = [&] {
      std::smatch m;
      std::regex_search(xml, m,
                        std::regex(std::string("<select id=\"") + side.option +
                                   "\">([^]*?)</select>"));
      return m;
    }();
    ASSERT_FALSE(select.empty());
    const std::string body = select[1];
    EXPECT_EQ(
        All(body, std::string("_label=\"") + side.caption + ": ([^\"]*)\""),
        side.labels);
    // The first is the default, with no argument; then N for the N-th.
    const std::vector<std::string> numbers =
        All(body, std::string("arg-set=\"--") + side.option + " ([0-9]+)\"");
    ASSERT_EQ(numbers.size(), side.labels.size() - 1);
    for (std::size_t i = 0; i < numbers.size(); ++i) {
      EXPECT_EQ(numbers[i], std::to_string(i + 1));
    }
  }
}

TEST(SchemeLabels, TheManPage) {
  std::string page = Read("host/x11/mandeldive.6");
  for (char& c : page) {
    if (c == '\n') c = ' ';
  }
  for (const Side& side : Sides()) {
    SCOPED_TRACE(side.option);
    const std::string range = "0.." + std::to_string(side.labels.size() - 1);
    std::smatch m;
    ASSERT_TRUE(std::regex_search(
        page, m,
        std::regex(std::string("\\\\-\\\\-") +
                   std::regex_replace(side.option, std::regex("-"), "\\\\-") +
                   "[^:]*?" + range + ": ([^.]*)\\. Default")));
    std::vector<std::string> listed;
    std::stringstream items(m[1].str());
    for (std::string item; std::getline(items, item, ',');) {
      listed.push_back(std::regex_replace(item, std::regex("^ +| +$"), ""));
    }
    EXPECT_EQ(listed, side.labels);
  }
}

TEST(SchemeLabels, TheSettingsDialog) {
  const std::string rc = Read("resources/settings_dialog.rc");
  const std::string header = Read("resources/resource.h");
  std::map<std::string, int> ids;
  const std::regex define("#define (IDC_[A-Z0-9_]+) ([0-9]+)");
  for (auto m = std::sregex_iterator(header.begin(), header.end(), define);
       m != std::sregex_iterator(); ++m) {
    ids[(*m)[1]] = std::stoi((*m)[2]);
  }
  for (const Side& side : Sides()) {
    SCOPED_TRACE(side.idc);
    const std::string pattern =
        std::string("CONTROL \"([^\"]*)\", (") + side.idc + "[A-Z0-9_]+)";
    std::vector<std::string> labels;
    std::vector<int> numbers;
    const std::regex re(pattern);
    for (auto m = std::sregex_iterator(rc.begin(), rc.end(), re);
         m != std::sregex_iterator(); ++m) {
      labels.push_back((*m)[1]);
      ASSERT_EQ(ids.count((*m)[2]), 1u) << (*m)[2];
      numbers.push_back(ids[(*m)[2]]);
    }
    EXPECT_EQ(labels, side.labels);
    // A button's id is the first id plus its scheme number.
    const int first = ids[std::string(side.idc) + "FIRST"];
    for (std::size_t i = 0; i < numbers.size(); ++i) {
      EXPECT_EQ(numbers[i], first + static_cast<int>(i)) << labels[i];
    }
  }
}

// Text files cannot include the schedule, so each statement of it is found
// here: a file, a pattern with one number, and the number it must be.
TEST(TickSchedule, EveryPlaceThatStatesIt) {
  const struct {
    const char* file;
    const char* pattern;
    std::int64_t value;
  } kStatements[] = {
      {"host/x11/mandeldive.xml", "arg=\"--delay %\"[^>]*default=\"([0-9]+)\"",
       kTickIntervalMs / 1000},
      {"host/x11/mandeldive.6",
       "step to the start of the next, [^ ]*\\s+Default ([0-9]+)\\.",
       kTickIntervalMs / 1000},
      {"tools/mandeldive-render.1", "a whole dive is ([0-9]+) ticks",
       kTicksPerDive},
      {"tools/mandeldive-render.1",
       "each tick, 1 to [0-9]+ \\(default ([0-9]+)\\)", kTickIntervalMs},
      {"scripts/run", "dive_ticks=([0-9]+)", kTicksPerDive},
      {"scripts/make-docs", "--ticks ([0-9]+)", kTicksPerDive},
      {"scripts/bench", "dive_ticks=([0-9]+)", kTicksPerDive},
      {"README.md", "down eight pictures, is ([0-9]+) ticks", kTicksPerDive},
  };
  for (const auto& s : kStatements) {
    SCOPED_TRACE(std::string(s.file) + ": " + s.pattern);
    const std::vector<std::string> found = All(Read(s.file), s.pattern);
    ASSERT_FALSE(found.empty());
    for (const std::string& number : found) {
      EXPECT_EQ(number, std::to_string(s.value));
    }
  }
}

}  // namespace
}  // namespace mandeldive
