#include "cli/option_table.h"

#include <getopt.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "cli/option_words.h"

namespace mandeldive {

namespace {

// getopt reports a long option by this plus its index.
constexpr int kFirstLong = 0x100;

}  // namespace

bool ReadOptions(int argc, const char* const* argv, const OptionSpec* specs,
                 std::size_t count, OptionSink* sink, std::string* error) {
  std::vector<option> longs;
  for (std::size_t i = 0; i < count; ++i) {
    longs.push_back(
        {specs[i].name,
         specs[i].value != nullptr ? required_argument : no_argument, nullptr,
         kFirstLong + static_cast<int>(i)});
  }
  longs.push_back({nullptr, 0, nullptr, 0});
  // No short options: a one-letter name is a long one like the others
  // (-o FILE, -o=FILE). Were it a short one too, getopt_long_only would
  // read a word no long name fits after one dash as the letter and a value
  // glued to it: -output.png as -o utput.png.
  // '+': stop at a non-option; ':': tell a missing value apart.
  const char* const shorts = "+:";
  auto* args = const_cast<char* const*>(argv);
  // 0 makes glibc start afresh, so the parser can run more than once.
  optind = 0;
  opterr = 0;
  for (;;) {
    const int word = optind == 0 ? 1 : optind;  // the word being read
    const int found =
        getopt_long_only(argc, args, shorts, longs.data(), nullptr);
    if (found == -1) break;
    const char* typed = word < argc ? argv[word] : "";
    if (found == '?') {  // unknown, or a prefix of more than one name
      *error = "unknown option '" + Printable(typed) + "'";
      return false;
    }
    if (found == ':') {
      *error = "option " + Printable(typed) + " needs a value";
      return false;
    }
    if (found < kFirstLong ||
        static_cast<std::size_t>(found - kFirstLong) >= count) {
      *error = "unknown option '" + Printable(typed) + "'";  // never comes
      return false;
    }
    const auto index = static_cast<std::size_t>(found - kFirstLong);
    if (!sink->Take(index, specs[index].value != nullptr ? optarg : nullptr,
                    error)) {
      return false;
    }
  }
  // A word that is not an option, or anything after "--".
  if (optind < argc) {
    *error = "unknown option '" + Printable(argv[optind]) + "'";
    return false;
  }
  return true;
}

std::string OptionLines(const OptionSpec* specs, std::size_t count,
                        const char* dash) {
  std::vector<std::string> heads;
  std::size_t width = 0;
  for (std::size_t i = 0; i < count; ++i) {
    std::string head = (std::strlen(specs[i].name) == 1 ? "-" : dash);
    head += specs[i].name;
    if (specs[i].value != nullptr) head += std::string(" ") + specs[i].value;
    width = std::max(width, head.size());
    heads.push_back(head);
  }
  std::string lines;
  for (std::size_t i = 0; i < count; ++i) {
    lines += "  " + heads[i] + std::string(width + 3 - heads[i].size(), ' ') +
             specs[i].help + "\n";
  }
  return lines;
}

}  // namespace mandeldive
