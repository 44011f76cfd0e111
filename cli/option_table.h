// A program's command line as one table: the options it reads, the value
// each takes and the line its usage shows. The table drives both the
// parsing and the usage text, so the two cannot disagree.
//
// Parsing is glibc's getopt_long_only: -name and --name alike (the way
// xscreensaver's hacks are called), "--name value" and "--name=value", and
// an unambiguous prefix of a name; a value is never glued to a one-letter
// name (-oFILE is refused, not read as -o FILE). Options stop at the first word
// that is not one; such a word is an error, as is everything after "--".
#ifndef MANDELDIVE_CLI_OPTION_TABLE_H_
#define MANDELDIVE_CLI_OPTION_TABLE_H_

#include <cstddef>
#include <string>

namespace mandeldive {

struct OptionSpec {
  const char* name;   // without dashes: "size"
  const char* value;  // the value's placeholder ("WxH"); null for a flag
  std::string help;   // the usage line's text
};

// What to do with one option found: the index of its spec, and its value
// (null for a flag). False, with a one-line reason in *error, stops the
// parse.
class OptionSink {
 public:
  virtual bool Take(std::size_t option, const char* value,
                    std::string* error) = 0;

 protected:
  ~OptionSink() = default;
};

// Reads argv[1..argc-1] against specs[0..count-1]. False with a one-line
// reason in *error on an unknown or ambiguous option, a missing value, a
// stray word or a refusal of the sink.
bool ReadOptions(int argc, const char* const* argv, const OptionSpec* specs,
                 std::size_t count, OptionSink* sink, std::string* error);

// The usage lines of the options, "  --size WxH   help", aligned. `dash` is
// how each option is shown: "--" or "-".
std::string OptionLines(const OptionSpec* specs, std::size_t count,
                        const char* dash);

}  // namespace mandeldive

#endif  // MANDELDIVE_CLI_OPTION_TABLE_H_
