#include "host/posix/standard_streams.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace mandeldive {

bool OpenClosedStandardStreams(ClosedStreams* closed) {
  ClosedStreams found;
  bool* const wasClosed[] = {&found.input, &found.output, &found.error};
  for (int fd = 0; fd <= 2; ++fd) {
    *wasClosed[fd] = fcntl(fd, F_GETFD) < 0 && errno == EBADF;
    if (!*wasClosed[fd]) continue;
    // The lowest free number: this one, since those below are open.
    const int opened = open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
    if (opened != fd) {
      if (opened >= 0) close(opened);
      return false;
    }
  }
  if (closed != nullptr) *closed = found;
  return true;
}

}  // namespace mandeldive
