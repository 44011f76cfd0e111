// The values the command-line programs read, and how their messages show
// what was typed.
#ifndef MANDELDIVE_CLI_OPTION_WORDS_H_
#define MANDELDIVE_CLI_OPTION_WORDS_H_

#include <cstdint>
#include <string>

namespace mandeldive {

// A command-line word as an error message may show it: bytes outside
// printable ASCII, and the backslash, become \xHH, so a message stays one
// line and sends no control sequence to a terminal; a word past 64 bytes is
// cut with "...".
std::string Printable(const std::string& word);

// Reads a whole decimal number in min..max (min >= 0): digits only, any
// number of leading zeros, no sign or blanks.
bool ParseWholeNumber(const std::string& text, std::int64_t min,
                      std::int64_t max, std::int64_t* value);

// An option's whole number in min..max; otherwise false with
// "<what> '<value>' is not <kind> in min..max" in *error, for example
// "ticks 'x' is not a number in 0..1000000".
bool ReadNumberOption(const std::string& value, const char* what,
                      const char* kind, std::int64_t min, std::int64_t max,
                      std::int64_t* number, std::string* error);

// Reads hexadecimal digits only, in 0..max.
bool ParseHexNumber(const std::string& text, std::uint64_t max,
                    std::uint64_t* value);

// Reads a scheme number for --mandelbrot-color (inside the set) or
// --background-color, within its table; false with a one-line reason in
// *error.
bool ParseScheme(const std::string& value, bool inside, std::uint32_t* scheme,
                 std::string* error);

// "0..8" and "0..14": the scheme numbers, for usage texts.
std::string SchemeRange(bool inside);

}  // namespace mandeldive

#endif  // MANDELDIVE_CLI_OPTION_WORDS_H_
