// What --version prints: the program, the release, and the escape kernel
// this CPU runs, e.g. "mandeldive-render 1.1.0 (escape kernel: neon)".
#ifndef MANDELDIVE_CLI_VERSION_LINE_H_
#define MANDELDIVE_CLI_VERSION_LINE_H_

#include <string>

namespace mandeldive {

std::string VersionLine(const char* program);

}  // namespace mandeldive

#endif  // MANDELDIVE_CLI_VERSION_LINE_H_
