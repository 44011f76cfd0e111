#include "host/posix/standard_streams.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace mandeldive {
namespace {

// In a child with some of fds 0-2 closed: afterwards each is open, the
// open ones are untouched, and the next descriptor made is past 2.
TEST(StandardStreams, ClosedOnesBecomeDevNull) {
  const struct {
    bool closed[3];
  } cases[] = {{{true, true, true}},
               {{false, true, false}},
               {{true, false, true}},
               {{false, false, false}}};
  for (const auto& c : cases) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      const int kept = dup(1);
      for (int fd = 0; fd <= 2; ++fd) {
        if (c.closed[fd]) close(fd);
      }
      ClosedStreams closed;
      int bad = OpenClosedStandardStreams(&closed) ? 0 : 1;
      if (closed.input != c.closed[0] || closed.output != c.closed[1] ||
          closed.error != c.closed[2])
        bad |= 16;
      for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) < 0) bad |= 2;
      }
      if (!c.closed[1] && fcntl(1, F_GETFL) != fcntl(kept, F_GETFL)) bad |= 4;
      const int next = open("/dev/null", O_RDONLY);
      if (next <= 2) bad |= 8;
      _exit(bad);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0)
        << "closed " << c.closed[0] << c.closed[1] << c.closed[2]
        << ": 1 failed, 2 a stream still closed, 4 an open one changed, 8 a "
           "new descriptor at 0-2, 16 the wrong ones said closed";
  }
}

}  // namespace
}  // namespace mandeldive
