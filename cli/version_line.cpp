#include "cli/version_line.h"

#include "engine/escape_kernel.h"
#include "mandeldive_version.h"

namespace mandeldive {

std::string VersionLine(const char* program) {
  return std::string(program) + " " + MANDELDIVE_VERSION +
         " (escape kernel: " + BestEscapeKernel().name + ")\n";
}

}  // namespace mandeldive
