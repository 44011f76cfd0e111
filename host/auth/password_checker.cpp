#include "host/auth/password_checker.h"

#include <errno.h>
#include <fcntl.h>
#include <pwd.h>
#include <security/pam_appl.h>
#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/uio.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdint>

namespace mandeldive {

namespace {

constexpr char kService[] = "mandeldive";
constexpr char kYes = 'y';
constexpr char kNo = 'n';

// Exactly n bytes, whatever pieces they come in; false at end of file or on
// an error.
bool ReadExactly(int fd, void* to, std::size_t n) {
  char* at = static_cast<char*>(to);
  while (n > 0) {
    const ssize_t got = read(fd, at, n);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    at += got;
    n -= static_cast<std::size_t>(got);
  }
  return true;
}

// All of parts[0..count), which it advances; MSG_NOSIGNAL, so a checker
// gone is an error here and not a SIGPIPE that ends the locker.
bool SendAll(int fd, iovec* parts, int count) {
  while (count > 0) {
    msghdr message{};
    message.msg_iov = parts;
    message.msg_iovlen = static_cast<std::size_t>(count);
    ssize_t sent = sendmsg(fd, &message, MSG_NOSIGNAL);
    if (sent < 0 && errno == EINTR) continue;
    if (sent <= 0) return false;
    while (count > 0 && static_cast<std::size_t>(sent) >= parts->iov_len) {
      sent -= static_cast<ssize_t>(parts->iov_len);
      ++parts;
      --count;
    }
    if (count > 0) {
      parts->iov_base = static_cast<char*>(parts->iov_base) + sent;
      parts->iov_len -= static_cast<std::size_t>(sent);
    }
  }
  return true;
}

// The conversation answers the password prompt only. PAM frees each
// response (Linux-PAM's modules overwrite it first); the checker wipes its
// own copy after each attempt.
int Converse(int count, const pam_message** messages, pam_response** out,
             void* data) {
  if (count <= 0 || count > PAM_MAX_NUM_MSG) return PAM_CONV_ERR;
  const auto* password = static_cast<const PasswordBuffer*>(data);
  auto* replies =
      static_cast<pam_response*>(calloc(count, sizeof(pam_response)));
  if (replies == nullptr) return PAM_BUF_ERR;
  int result = PAM_SUCCESS;
  for (int i = 0; i < count && result == PAM_SUCCESS; ++i) {
    switch (messages[i]->msg_style) {
      case PAM_PROMPT_ECHO_OFF:
        replies[i].resp = strdup(password->data());
        if (replies[i].resp == nullptr) result = PAM_BUF_ERR;
        break;
      case PAM_ERROR_MSG:
      case PAM_TEXT_INFO:
        break;
      default:  // a visible prompt: the lock screen has nothing to answer
        result = PAM_CONV_ERR;
        break;
    }
  }
  if (result != PAM_SUCCESS) {
    for (int i = 0; i < count; ++i) {
      if (replies[i].resp == nullptr) continue;
      explicit_bzero(replies[i].resp, strlen(replies[i].resp));
      free(replies[i].resp);
    }
    free(replies);
    return result;
  }
  *out = replies;
  return PAM_SUCCESS;
}

// A request's password into *password, in pieces through a small buffer
// that is wiped after each. False at end of file; *wellFormed false when a
// byte was refused (a control character: no typed password holds one).
bool ReadPassword(int fd, std::uint32_t length, PasswordBuffer* password,
                  bool* wellFormed) {
  char piece[256];
  *wellFormed = true;
  while (length > 0) {
    const std::size_t n = length < sizeof piece ? length : sizeof piece;
    if (!ReadExactly(fd, piece, n)) {
      explicit_bzero(piece, sizeof piece);
      return false;
    }
    if (!password->Append(piece, n)) *wellFormed = false;
    length -= static_cast<std::uint32_t>(n);
  }
  explicit_bzero(piece, sizeof piece);
  return true;
}

// The checker's process: the default handler for every signal, stdin from
// /dev/null, no descriptor of the locker's but its end of the socket and
// stdout and stderr, and killed when the locker's thread that forked it
// ends. Returns the socket's descriptor.
int PrepareChecker(int socket, pid_t locker) {
  struct sigaction byDefault {};
  byDefault.sa_handler = SIG_DFL;
  for (int signal = 1; signal < NSIG; ++signal) {
    sigaction(signal, &byDefault, nullptr);  // fails, harmlessly, on KILL
  }
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
  if (prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || getppid() != locker) _exit(1);

  const int kept = fcntl(socket, F_DUPFD_CLOEXEC, 3);
  const int devNull = open("/dev/null", O_RDWR | O_CLOEXEC);
  if (kept < 0 || devNull < 0 || dup2(devNull, 0) < 0) _exit(1);
  for (int fd = 1; fd <= 2; ++fd) {
    if ((fd == socket || fcntl(fd, F_GETFD) < 0) && dup2(devNull, fd) < 0) {
      _exit(1);
    }
  }
  if ((kept > 3 && close_range(3, kept - 1, 0) != 0) ||
      close_range(kept + 1, ~0U, 0) != 0) {
    _exit(1);
  }
  return kept;
}

[[noreturn]] void RunChecker(int socket, pid_t locker, const char* user,
                             const char* pamConfDir) {
  try {
    const int fd = PrepareChecker(socket, locker);
    PasswordBuffer password;
    const pam_conv conversation = {Converse, &password};
    pam_handle_t* pam = nullptr;
    const int started =
        pamConfDir != nullptr
            ? pam_start_confdir(kService, user, &conversation, pamConfDir, &pam)
            : pam_start(kService, user, &conversation, &pam);
    if (started != PAM_SUCCESS) _exit(1);
    for (;;) {
      std::uint32_t length = 0;
      bool wellFormed = false;
      if (getppid() != locker || !ReadExactly(fd, &length, sizeof length) ||
          length > PasswordBuffer::kCapacity ||
          !ReadPassword(fd, length, &password, &wellFormed)) {
        break;
      }
      char answer = kNo;
      if (wellFormed && pam_authenticate(pam, 0) == PAM_SUCCESS) {
        pam_setcred(pam, PAM_REFRESH_CRED);
        answer = kYes;
      }
      password.Clear();
      iovec part = {&answer, 1};
      if (!SendAll(fd, &part, 1)) break;
    }
    password.Clear();
    pam_end(pam, PAM_SUCCESS);
    _exit(0);
  } catch (...) {
    _exit(1);
  }
}

}  // namespace

bool RunningSetId(std::string* error) {
  if (getuid() == geteuid() && getgid() == getegid()) return false;
  *error =
      "mandeldive refuses to lock the screen as a setuid or setgid program";
  return true;
}

PasswordChecker::~PasswordChecker() {
  Close();
  if (pid_ <= 0) return;
  // The checker ends at end of file; one inside a slow PAM module is
  // killed after a second.
  for (int tries = 0; tries < 100; ++tries) {
    const pid_t reaped = waitpid(pid_, nullptr, WNOHANG);
    if (reaped != 0) return;  // reaped, or not ours to reap
    const timespec tenMs = {0, 10 * 1000 * 1000};
    nanosleep(&tenMs, nullptr);
  }
  kill(pid_, SIGKILL);
  // Killed, it goes at once, unless the kernel holds it (a hung network
  // file system): then it is left to init once we end.
  for (int tries = 0; tries < 100; ++tries) {
    if (waitpid(pid_, nullptr, WNOHANG) != 0) return;
    const timespec tenMs = {0, 10 * 1000 * 1000};
    nanosleep(&tenMs, nullptr);
  }
}

bool PasswordChecker::Start(std::string* error, const char* pamConfDir) {
  if (pid_ > 0) {
    *error = "the password checker is already running";
    return false;
  }
  const passwd* entry = getpwuid(getuid());
  if (entry == nullptr) {
    *error = "no user name for uid " + std::to_string(getuid());
    return false;
  }
  const std::string user = entry->pw_name;
  // Inherited by the checker: neither process leaves a core file, and no
  // other process of the user may ptrace them or read their memory.
  if (prctl(PR_SET_DUMPABLE, 0) != 0) {
    *error =
        std::string("cannot make the locker undumpable: ") + strerror(errno);
    return false;
  }
  int ends[2];
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) {
    *error =
        std::string("cannot make the checker's socket: ") + strerror(errno);
    return false;
  }
  const pid_t locker = getpid();
  const pid_t child = fork();
  if (child < 0) {
    *error =
        std::string("cannot fork the password checker: ") + strerror(errno);
    close(ends[0]);
    close(ends[1]);
    return false;
  }
  if (child == 0) {
    close(ends[0]);
    RunChecker(ends[1], locker, user.c_str(), pamConfDir);
  }
  close(ends[1]);
  socket_ = ends[0];
  pid_ = child;
  return true;
}

bool PasswordChecker::Submit(const PasswordBuffer& password) {
  if (socket_ < 0 || checking_) return false;
  std::uint32_t length = static_cast<std::uint32_t>(password.size());
  iovec parts[2] = {{&length, sizeof length},
                    {const_cast<char*>(password.data()), password.size()}};
  if (!SendAll(socket_, parts, 2)) {
    Close();
    return false;
  }
  checking_ = true;
  submitted_ = Clock::now();
  return true;
}

PasswordChecker::Clock::time_point PasswordChecker::deadline() const {
  return checking_ ? submitted_ + kCheckLimit : Clock::time_point::max();
}

bool PasswordChecker::KillIfLate(Clock::time_point now) {
  if (!checking_ || now < deadline()) return false;
  Close();
  // Reaped by the destructor, within its bound.
  if (pid_ > 0) kill(pid_, SIGKILL);
  return true;
}

PasswordChecker::Answer PasswordChecker::ReadAnswer() {
  if (socket_ < 0) return Answer::Gone;
  char answer = 0;
  ssize_t got;
  do {
    got = recv(socket_, &answer, 1, 0);
  } while (got < 0 && errno == EINTR);
  if (got != 1 || !checking_ || (answer != kYes && answer != kNo)) {
    Close();
    return Answer::Gone;
  }
  checking_ = false;
  return answer == kYes ? Answer::Yes : Answer::No;
}

void PasswordChecker::Close() {
  if (socket_ >= 0) close(socket_);
  socket_ = -1;
  checking_ = false;
}

}  // namespace mandeldive
