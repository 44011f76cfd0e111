#include "output/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "output/interrupt_cleanup.h"

namespace mandeldive {

namespace {

// As the kernel's own limit on links followed in one path.
constexpr int kMaxLinks = 40;
// How long a FIFO may go without a reader before the output fails.
constexpr int kReaderWaitMs = 10000;
constexpr int kReaderPollMs = 20;

std::string DirectoryOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return "";
  return path.substr(0, slash + 1);
}

// The path with every link at its end followed; the last path reached when
// it names nothing. False on a loop or an unreadable link.
bool FollowLinks(const std::string& path, std::string* target) {
  std::string current = path;
  for (int i = 0; i < kMaxLinks; ++i) {
    struct stat info;
    if (lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
      *target = current;
      return true;
    }
    char link[4096];
    const ssize_t length = readlink(current.c_str(), link, sizeof link - 1);
    if (length < 0) return false;
    link[length] = '\0';
    current = link[0] == '/' ? std::string(link) : DirectoryOf(current) + link;
  }
  errno = ELOOP;
  return false;
}

void ClearNonBlocking(int fd) {
  const int flags = fcntl(fd, F_GETFL);
  if (flags >= 0) fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
}

}  // namespace

OutputFile::~OutputFile() { Discard(); }

std::string OutputFile::Reason(const char* what) const {
  return std::string(what) + " " + name_ + ": " + std::strerror(errno);
}

bool OutputFile::Open(const std::string& path, std::string* error) {
  Discard();
  name_ = path;
  createsFile_ = false;
  if (path == "-") {
    if (isatty(STDOUT_FILENO)) {
      *error = "will not write a PNG to a terminal (standard output)";
      return false;
    }
    fd_ = STDOUT_FILENO;
    ownsFd_ = false;
    return true;
  }
  if (!FollowLinks(path, &target_)) {
    *error = Reason("cannot follow the link");
    return false;
  }
  struct stat info;
  if (stat(target_.c_str(), &info) != 0) {
    if (errno != ENOENT) {
      *error = Reason("cannot write");
      return false;
    }
    const mode_t mask = umask(0);
    umask(mask);
    createsFile_ = true;
    return OpenTemporary(target_, 0666 & ~mask, error);
  }
  if (S_ISDIR(info.st_mode)) {
    *error = "cannot write " + name_ + ": it is a directory";
    return false;
  }
  if (S_ISREG(info.st_mode)) {
    return OpenTemporary(target_, info.st_mode & 0777, error);
  }
  return OpenInPlace(target_, error);
}

bool OutputFile::OpenInPlace(const std::string& target, std::string* error) {
  // Not blocking, so that a FIFO without a reader is a bounded wait.
  for (int waited = 0;; waited += kReaderPollMs) {
    fd_ = open(target.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd_ >= 0) break;
    if (errno != ENXIO || waited >= kReaderWaitMs) {
      *error = errno == ENXIO ? "cannot write " + name_ + ": nothing reads it"
                              : Reason("cannot write");
      return false;
    }
    usleep(kReaderPollMs * 1000);
  }
  ClearNonBlocking(fd_);
  ownsFd_ = true;
  return true;
}

bool OutputFile::OpenTemporary(const std::string& target, unsigned mode,
                               std::string* error) {
  temporary_ = target + ".XXXXXX";
  fd_ = mkostemp(&temporary_[0], O_CLOEXEC);
  if (fd_ < 0) {
    temporary_.clear();
    *error = Reason("cannot write");
    return false;
  }
  cleanupSlot_ = RegisterTemporary(temporary_.c_str());
  ownsFd_ = true;
  mode_ = mode;
  return true;
}

bool OutputFile::Commit(std::string* error) {
  if (fd_ < 0) {
    *error = "cannot write " + name_ + ": it was not opened";
    return false;
  }
  bool ok = true;
  if (!temporary_.empty()) {
    // mkstemp makes the file 0600; the output gets the old file's
    // permissions, or a new file's.
    if (fchmod(fd_, mode_) != 0 || fsync(fd_) != 0) {
      *error = Reason("cannot write");
      ok = false;
    }
  }
  if (ownsFd_ && close(fd_) != 0 && ok) {
    *error = Reason("cannot write");
    ok = false;
  }
  fd_ = -1;
  ownsFd_ = false;
  if (ok && !temporary_.empty() &&
      std::rename(temporary_.c_str(), target_.c_str()) != 0) {
    *error = Reason("cannot write");
    ok = false;
  }
  if (ok) {
    ForgetTemporary(cleanupSlot_);
    cleanupSlot_ = -1;
    temporary_.clear();
    return true;
  }
  Discard();
  return false;
}

void OutputFile::Discard() {
  if (ownsFd_ && fd_ >= 0) close(fd_);
  fd_ = -1;
  ownsFd_ = false;
  if (!temporary_.empty()) {
    unlink(temporary_.c_str());
    temporary_.clear();
  }
  ForgetTemporary(cleanupSlot_);
  cleanupSlot_ = -1;
}

}  // namespace mandeldive
