#include "cli/common_options.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

#include "cli/option_words.h"
#include "cli/version_line.h"

namespace mandeldive {

namespace {

// The block, in the order of its table lines.
enum Common { kMandelbrotColor, kBackgroundColor, kTicks, kHelp, kVersion };

}  // namespace

std::vector<OptionSpec> WithCommonOptions(std::vector<OptionSpec> own,
                                          const std::string& ticksHelp) {
  std::vector<OptionSpec> table = std::move(own);
  table.push_back(
      {"mandelbrot-color", "N",
       "scheme inside the set, " + SchemeRange(true) + " (default 0)"});
  table.push_back(
      {"background-color", "N",
       "scheme of escaping points, " + SchemeRange(false) + " (default 0)"});
  table.push_back({"ticks", "N", ticksHelp});
  table.push_back({"help", nullptr, "show this and end"});
  table.push_back(
      {"version", nullptr, "show the version and the escape kernel, and end"});
  return table;
}

bool CommonOptionSink::Take(std::size_t option, const char* value,
                            std::string* error) {
  const std::string text = value != nullptr ? value : "";
  if (option < ownCount_) return TakeOwn(option, text, error);
  switch (static_cast<Common>(option - ownCount_)) {
    case kMandelbrotColor:
      return ParseScheme(text, true, &common_->mandelbrotColor, error);
    case kBackgroundColor:
      return ParseScheme(text, false, &common_->backgroundColor, error);
    case kTicks:
      return ReadNumberOption(text, "ticks", "a number", 0, kMaxTicks,
                              &common_->ticks, error);
    case kHelp:
      common_->help = true;
      return true;
    case kVersion:
      common_->version = true;
      return true;
  }
  return false;
}

int AnswerCommandLine(const char* program, const char* hint, bool parsed,
                      const std::string& error, const CommonOptions& options,
                      const std::string& usage) {
  if (!parsed) {
    std::fprintf(stderr, "%s: %s (try %s)\n", program, error.c_str(), hint);
    return kExitBadInput;
  }
  if (!options.help && !options.version) return -1;
  const std::string text = options.help ? usage : VersionLine(program);
  // A text that did not arrive is a failure, as of any other output.
  if (std::fputs(text.c_str(), stdout) < 0 || std::fflush(stdout) != 0) {
    std::fprintf(stderr, "%s: cannot write to standard output: %s\n", program,
                 std::strerror(errno));
    return kExitFailed;
  }
  return kExitOk;
}

}  // namespace mandeldive
