// The options every program of the project reads alike: the two schemes,
// --ticks, --help and --version; and the exit codes they all end with.
// A program's option table is its own options followed by this block.
#ifndef MANDELDIVE_CLI_COMMON_OPTIONS_H_
#define MANDELDIVE_CLI_COMMON_OPTIONS_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "cli/option_table.h"

namespace mandeldive {

// Exit codes of the command-line programs.
constexpr int kExitOk = 0;
// The renderer cannot write or allocate; a saver has no display or window.
constexpr int kExitFailed = 1;
constexpr int kExitBadInput = 2;

constexpr std::int64_t kMaxTicks = 1000000;

struct CommonOptions {
  explicit CommonOptions(std::int64_t defaultTicks) : ticks(defaultTicks) {}

  std::uint32_t mandelbrotColor = 0;
  std::uint32_t backgroundColor = 0;
  std::int64_t ticks;
  bool help = false;
  bool version = false;  // --version, when not --help
};

// A program's table: its own options, then the common block, whose --ticks
// usage line reads ticksHelp.
std::vector<OptionSpec> WithCommonOptions(std::vector<OptionSpec> own,
                                          const std::string& ticksHelp);

// The sink of a table made by WithCommonOptions from `ownCount` options
// of the program's own: the common block fills *common, and the program's
// own options go to TakeOwn, with a flag's value empty.
class CommonOptionSink : public OptionSink {
 public:
  CommonOptionSink(std::size_t ownCount, CommonOptions* common)
      : ownCount_(ownCount), common_(common) {}
  bool Take(std::size_t option, const char* value, std::string* error) final;

 protected:
  ~CommonOptionSink() = default;
  virtual bool TakeOwn(std::size_t option, const std::string& value,
                       std::string* error) = 0;

 private:
  std::size_t ownCount_;
  CommonOptions* common_;
};

// What every program does with its command line before its own work, once
// `parsed` tells whether its options were read: a refusal gets one line on
// stderr, "PROGRAM: ERROR (try HINT)", and kExitBadInput; --help prints
// `usage` and --version the version line, with kExitOk, or kExitFailed and
// a line on stderr when standard output does not take it (/dev/full, a
// closed one). -1: neither, so the program goes on.
int AnswerCommandLine(const char* program, const char* hint, bool parsed,
                      const std::string& error, const CommonOptions& options,
                      const std::string& usage);

}  // namespace mandeldive

#endif  // MANDELDIVE_CLI_COMMON_OPTIONS_H_
