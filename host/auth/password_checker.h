// The locker's password checker: a child process forked before the locker
// touches the display, holding the PAM handle for the user who runs the
// locker, answering one attempt at a time over a socket. So no PAM module
// shares a process with Wayland input, and a module that hangs or crashes
// costs an answer, never the lock.
//
// The protocol, on a stream socket pair: a request is a 32-bit length in
// host byte order, at most PasswordBuffer::kCapacity, then that many bytes
// of password; the answer is one byte. The checker ends when its end of the
// socket reads end-of-file, when a request breaks the protocol, or when the
// locker dies.
#ifndef MANDELDIVE_HOST_AUTH_PASSWORD_CHECKER_H_
#define MANDELDIVE_HOST_AUTH_PASSWORD_CHECKER_H_

#include <sys/types.h>

#include <chrono>
#include <string>

#include "host/auth/password_buffer.h"

namespace mandeldive {

// Refuses setuid/setgid: true (and *error set) when real and effective ids
// differ.
bool RunningSetId(std::string* error);

class PasswordChecker {
 public:
  enum class Answer { Yes, No, Gone };
  using Clock = std::chrono::steady_clock;
  // How long one check may take: a PAM module that blocks for longer
  // (a network directory that does not answer) costs the checker.
  static constexpr std::chrono::seconds kCheckLimit{60};

  PasswordChecker() = default;
  // Closes the socket, so the checker ends, and reaps it: SIGKILL if it is
  // still there after a second, and given up on a second after that.
  ~PasswordChecker();
  PasswordChecker(const PasswordChecker&) = delete;
  PasswordChecker& operator=(const PasswordChecker&) = delete;

  // Makes this process not dumpable, then forks the checker: call before
  // connecting to the display and before any thread starts. The child runs
  // pam_start("mandeldive", <the user of getuid()>), and per request
  // pam_authenticate (and pam_setcred REFRESH on success, as lockers do),
  // wiping its copy after each. `pamConfDir` is null in the program; tests
  // pass a directory for pam_start_confdir so they run without root.
  bool Start(std::string* error, const char* pamConfDir = nullptr);
  int fd() const { return socket_; }  // POLLIN: an answer, or the checker gone
  // Sends the password. False, and nothing sent, if the checker is gone or
  // a check is already running (one attempt at a time).
  bool Submit(const PasswordBuffer& password);
  // When the running check is over its limit; Clock::time_point::max()
  // while none runs.
  Clock::time_point deadline() const;
  // At or past deadline(): kills the checker (SIGKILL; the destructor
  // reaps it) and true; from then on it is Gone, as if it had died.
  // False otherwise.
  bool KillIfLate(Clock::time_point now);
  // Blocks until the answer; call after POLLIN on fd(). Gone when the
  // checker has ended or broke the protocol; fd() is -1 from then on.
  Answer ReadAnswer();
  pid_t pid() const { return pid_; }  // the checker, for tests

 private:
  void Close();

  int socket_ = -1;
  pid_t pid_ = -1;
  bool checking_ = false;
  Clock::time_point submitted_{};
};

}  // namespace mandeldive

#endif  // MANDELDIVE_HOST_AUTH_PASSWORD_CHECKER_H_
