// Shared by the option harnesses: a fuzz input as a command line.
#ifndef MANDELDIVE_TESTS_FUZZ_FUZZ_ARGS_H_
#define MANDELDIVE_TESTS_FUZZ_FUZZ_ARGS_H_

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace mandeldive {

// The input split at NUL bytes into at most 24 arguments after the program
// name, so that every option, value and stray word is reachable.
class FuzzArgs {
 public:
  FuzzArgs(const std::uint8_t* data, std::size_t size) {
    words_.emplace_back("program");
    std::string word;
    for (std::size_t i = 0; i < size && words_.size() < 25; ++i) {
      if (data[i] == 0) {
        words_.push_back(word);
        word.clear();
      } else {
        word.push_back(static_cast<char>(data[i]));
      }
    }
    if (words_.size() < 25) words_.push_back(word);
    for (const std::string& w : words_) argv_.push_back(w.c_str());
  }
  int argc() const { return static_cast<int>(argv_.size()); }
  const char* const* argv() const { return argv_.data(); }

 private:
  std::vector<std::string> words_;
  std::vector<const char*> argv_;
};

// Stops the run with the reason: libFuzzer keeps the input as a finding.
[[noreturn]] inline void Broken(const char* what, const std::string& detail) {
  std::fprintf(stderr, "broken: %s: %s\n", what, detail.c_str());
  std::abort();
}

inline void ExpectOneLine(const std::string& error) {
  if (error.empty()) Broken("an error without a reason", "");
  if (error.find('\n') != std::string::npos)
    Broken("an error of many lines", error);
}

}  // namespace mandeldive

#endif  // MANDELDIVE_TESTS_FUZZ_FUZZ_ARGS_H_
