#include "host/auth/password_checker.h"

#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <security/_pam_types.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <thread>

namespace mandeldive {
namespace {

using Answer = PasswordChecker::Answer;

// A PAM configuration directory of the test's own, holding the service
// "mandeldive" as `stack`, and a password file for pam_exec's check: the
// module asks the conversation for the password and hands it on stdin.
class PamDir {
 public:
  PamDir(const std::string& stack, const std::string& expected = "") {
    char name[] = "/tmp/mandeldive-pam-XXXXXX";
    path_ = mkdtemp(name);
    Write(path_ + "/expected", expected);
    Write(path_ + "/check", "#!/bin/sh\n[ \"$(tr -d '\\000')\" = \"$(cat '" +
                                path_ + "/expected')\" ]\n");
    chmod((path_ + "/check").c_str(), 0755);
    Write(path_ + "/mandeldive", stack + "\n");
  }
  ~PamDir() {
    for (const char* f : {"/expected", "/check", "/mandeldive"}) {
      unlink((path_ + f).c_str());
    }
    rmdir(path_.c_str());
  }
  const char* path() const { return path_.c_str(); }
  std::string check() const { return path_ + "/check"; }

 private:
  static void Write(const std::string& file, const std::string& text) {
    std::ofstream(file) << text;
  }
  std::string path_;
};

// A module that takes five seconds to answer.
constexpr char kSlow[] = "auth required pam_exec.so quiet /bin/sleep 5";

std::string Exec(const PamDir& dir) {
  return "auth required pam_exec.so expose_authtok quiet " + dir.check();
}

// The answer within a deadline; Gone with a failure when it is late.
Answer AnswerWithin(PasswordChecker* checker, int ms) {
  pollfd ready = {checker->fd(), POLLIN, 0};
  if (poll(&ready, 1, ms) != 1) {
    ADD_FAILURE() << "no answer from the checker within " << ms << " ms";
    return Answer::Gone;
  }
  return checker->ReadAnswer();
}

Answer Check(PasswordChecker* checker, const std::string& password) {
  PasswordBuffer buffer;
  EXPECT_TRUE(buffer.Append(password.data(), password.size()));
  if (!checker->Submit(buffer)) return Answer::Gone;
  return AnswerWithin(checker, 10000);
}

TEST(PasswordChecker, AnswersOverThePipe) {
  const std::string right = "right \xc3\xa9";
  std::string long1000(1000, 'x');
  long1000[0] = 'L';
  // pam_exec hands on a password's first 511 bytes (PAM_MAX_RESP_SIZE
  // with the NUL); each request is read whole, so the next one is still
  // understood.
  const std::string long511 = long1000.substr(0, PAM_MAX_RESP_SIZE - 1);
  std::string longWrong = long1000;
  longWrong[PAM_MAX_RESP_SIZE - 2] = 'y';
  struct {
    const char* what;
    bool exec;  // pam_exec's check against `expected`, else `stack`
    const char* stack;
    std::string expected, typed;
    Answer answer;
  } const cases[] = {
      {"permit", false, "auth required pam_permit.so", "", "any", Answer::Yes},
      {"deny", false, "auth requisite pam_deny.so", "", "any", Answer::No},
      {"right", true, nullptr, right, right, Answer::Yes},
      {"wrong", true, nullptr, right, "right", Answer::No},
      {"1000 bytes", true, nullptr, long511, long1000, Answer::Yes},
      {"1000 bytes, one wrong", true, nullptr, long511, longWrong, Answer::No},
  };
  for (const auto& c : cases) {
    PamDir scratch("", c.expected);
    PamDir dir(c.exec ? Exec(scratch) : c.stack);
    PasswordChecker checker;
    std::string error;
    ASSERT_TRUE(checker.Start(&error, dir.path())) << error;
    EXPECT_EQ(Check(&checker, c.typed), c.answer) << c.what;
    // And again: the checker answers one attempt after another.
    EXPECT_EQ(Check(&checker, c.typed), c.answer) << c.what << ", twice";
  }
}

TEST(PasswordChecker, OneAtATimeAndGoneWhenKilled) {
  PamDir dir("auth required pam_permit.so");
  PasswordChecker checker;
  std::string error;
  ASSERT_TRUE(checker.Start(&error, dir.path())) << error;
  PasswordBuffer password;
  password.Append("pw", 2);
  ASSERT_TRUE(checker.Submit(password));
  EXPECT_FALSE(checker.Submit(password)) << "a second attempt while checking";
  EXPECT_EQ(AnswerWithin(&checker, 10000), Answer::Yes);

  // Killed inside a slow module: the answer is Gone, and so is the checker.
  PamDir slow(kSlow);
  PasswordChecker killed;
  ASSERT_TRUE(killed.Start(&error, slow.path())) << error;
  ASSERT_TRUE(killed.Submit(password));
  kill(killed.pid(), SIGKILL);
  EXPECT_EQ(AnswerWithin(&killed, 10000), Answer::Gone);
  EXPECT_EQ(killed.fd(), -1);
  EXPECT_FALSE(killed.Submit(password));

  // A check past its limit: the checker is killed and Gone; none running
  // has no deadline.
  PasswordChecker late;
  ASSERT_TRUE(late.Start(&error, slow.path())) << error;
  EXPECT_EQ(late.deadline(), PasswordChecker::Clock::time_point::max());
  ASSERT_TRUE(late.Submit(password));
  const auto limit = late.deadline();
  EXPECT_LE(limit,
            PasswordChecker::Clock::now() + PasswordChecker::kCheckLimit);
  EXPECT_FALSE(late.KillIfLate(limit - std::chrono::milliseconds(1)));
  EXPECT_TRUE(late.KillIfLate(limit));
  EXPECT_EQ(late.fd(), -1);
  EXPECT_EQ(waitpid(late.pid(), nullptr, 0), late.pid()) << "not killed";
}

// Requests written by hand on the locker's end of the socket, in pieces a
// few milliseconds apart: the checker reads each whole, refuses a password
// no keyboard types, and ends on a length past the bound.
TEST(PasswordChecker, ReadsRequestsExactlyAndBounded) {
  PamDir scratch("", "pieces");
  PamDir exec(Exec(scratch));
  PamDir permit("auth required pam_permit.so");
  const auto request = [](std::uint32_t length, const std::string& bytes) {
    return std::string(reinterpret_cast<const char*>(&length), 4) + bytes;
  };
  struct {
    const char* what;
    const PamDir* dir;
    std::string request;
    int answer;  // the byte, or -1: the checker ends
  } const cases[] = {
      {"in pieces", &exec, request(6, "pieces"), 'y'},
      {"in pieces, wrong", &exec, request(6, "piecez"), 'n'},
      {"a control character", &permit, request(3, "a\001b"), 'n'},
      {"past the bound", &permit, request(PasswordBuffer::kCapacity + 1, "x"),
       -1},
  };
  for (const auto& c : cases) {
    PasswordChecker checker;
    std::string error;
    ASSERT_TRUE(checker.Start(&error, c.dir->path())) << error;
    for (std::size_t at = 0; at < c.request.size(); at += 3) {
      const std::string piece = c.request.substr(at, 3);
      ASSERT_EQ(send(checker.fd(), piece.data(), piece.size(), MSG_NOSIGNAL),
                static_cast<ssize_t>(piece.size()))
          << c.what << ": the checker stopped reading";
      usleep(2000);
    }
    pollfd ready = {checker.fd(), POLLIN, 0};
    ASSERT_EQ(poll(&ready, 1, 10000), 1) << c.what << ": no answer in 10 s";
    unsigned char answer = 0;
    const ssize_t got = read(checker.fd(), &answer, 1);
    EXPECT_EQ(got == 1 ? answer : -1, c.answer) << c.what;
  }
}

std::string ReadAll(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// The checker holds only its socket and stdio, stdin is /dev/null, the
// password is in no argv or environment, and neither process is dumpable.
TEST(PasswordChecker, ItsProcessHoldsNothingElse) {
  const std::string secret = "hunter2-in-the-checker";
  PamDir scratch("", secret);
  PamDir dir(Exec(scratch));
  // A stray descriptor and a stdin that are not the checker's.
  const int stray = open("/dev/null", O_RDONLY);
  const int ourStdin = dup(0);
  int stdinPipe[2];
  ASSERT_EQ(pipe(stdinPipe), 0);
  dup2(stdinPipe[0], 0);
  PasswordChecker checker;
  std::string error;
  const bool started = checker.Start(&error, dir.path());
  dup2(ourStdin, 0);
  for (int fd : {stray, ourStdin, stdinPipe[0], stdinPipe[1]}) close(fd);
  ASSERT_TRUE(started) << error;
  EXPECT_EQ(prctl(PR_GET_DUMPABLE), 0);
  EXPECT_EQ(Check(&checker, secret), Answer::Yes);

  const std::string proc = "/proc/" + std::to_string(checker.pid());
  EXPECT_EQ(ReadAll(proc + "/cmdline").find(secret), std::string::npos);
  // Only root reads the files of a process that is not dumpable.
  DIR* fds = opendir((proc + "/fd").c_str());
  if (fds == nullptr) {
    EXPECT_NE(getuid(), 0u);
    std::printf(
        "not root: the checker's environ and fds are unreadable, as "
        "they should be; their contents not checked\n");
    return;
  }
  EXPECT_EQ(ReadAll(proc + "/environ").find(secret), std::string::npos);
  std::set<std::string> open;
  while (const dirent* entry = readdir(fds)) {
    if (entry->d_name[0] != '.') open.insert(entry->d_name);
  }
  closedir(fds);
  EXPECT_EQ(open.size(), 4u) << "0, 1, 2 and the socket";
  char stdinPath[64] = {};
  EXPECT_GT(readlink((proc + "/fd/0").c_str(), stdinPath, 63), 0);
  EXPECT_STREQ(stdinPath, "/dev/null");
}

// The checker dies with the locker, even inside a slow PAM module, and
// its password never outlives it: here an intermediate process is the
// locker, and this test the subreaper that sees how the checker ended.
TEST(PasswordChecker, DiesWithTheLocker) {
  PamDir dir(kSlow);
  if (prctl(PR_SET_CHILD_SUBREAPER, 1) != 0) {
    GTEST_SKIP() << "no child subreaper here (qemu-user has none), so the "
                    "checker's end cannot be seen";
  }
  int report[2];
  ASSERT_EQ(pipe(report), 0);
  const pid_t locker = fork();
  ASSERT_GE(locker, 0);
  if (locker == 0) {
    PasswordChecker checker;
    std::string error;
    if (!checker.Start(&error, dir.path())) _exit(1);
    PasswordBuffer password;
    password.Append("x", 1);
    if (!checker.Submit(password)) _exit(2);
    const pid_t pid = checker.pid();
    if (write(report[1], &pid, sizeof pid) != sizeof pid) _exit(3);
    usleep(300 * 1000);  // the checker is now inside pam_exec's sleep
    _exit(0);            // no destructor: the locker dies
  }
  close(report[1]);
  pid_t checkerPid = -1;
  ASSERT_EQ(read(report[0], &checkerPid, sizeof checkerPid),
            static_cast<ssize_t>(sizeof checkerPid));
  close(report[0]);
  int status = 0;
  ASSERT_EQ(waitpid(locker, &status, 0), locker);
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::seconds(3);
  pid_t reaped = 0;
  while (reaped == 0 && std::chrono::steady_clock::now() < deadline) {
    reaped = waitpid(checkerPid, &status, WNOHANG);
    if (reaped == 0) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  prctl(PR_SET_CHILD_SUBREAPER, 0);
  if (reaped == 0) {
    kill(checkerPid, SIGKILL);
    waitpid(checkerPid, &status, 0);
    FAIL() << "the checker outlived its locker by 3 s";
  }
  ASSERT_EQ(reaped, checkerPid);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
      << "status " << status;
}

TEST(RunningSetId, RefusesDifferingIds) {
  std::string error;
  EXPECT_FALSE(RunningSetId(&error));
  if (getuid() != 0) {
    std::printf("not root: a setuid run not tried\n");
    return;
  }
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (setresuid(0, 65534, 0) != 0) _exit(2);
    _exit(RunningSetId(&error) && !error.empty() ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

}  // namespace
}  // namespace mandeldive
