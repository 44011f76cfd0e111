#include "output/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "output/made_files.h"
#include "output/sticky_rules.h"

namespace mandeldive {

namespace {

// How long a FIFO may go without a reader before the output fails.
constexpr int kReaderWaitMs = 10000;
constexpr int kReaderPollMs = 20;

void ClearNonBlocking(int fd) {
  const int flags = fcntl(fd, F_GETFL);
  if (flags >= 0) fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
}

bool IsStandardOutput(const struct stat& info) {
  struct stat out;
  return fstat(STDOUT_FILENO, &out) == 0 && out.st_dev == info.st_dev &&
         out.st_ino == info.st_ino;
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
  if (path == "-") return OpenStandardOutput(error);
  if (!FollowLinks(path, &target_, error)) return false;
  // What the kernel finds at the path: a link to a pipe, /dev/stdout
  // say, has no target the links above could name.
  struct stat info;
  if (stat(path.c_str(), &info) != 0) {
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
  if (!S_ISREG(info.st_mode)) {
    return IsStandardOutput(info) ? OpenStandardOutput(error)
                                  : OpenInPlace(path, error);
  }
  // The rename at the end must be allowed, so a run that cannot replace
  // the file fails now rather than after its render.
  const std::string directory = DirectoryOf(target_);
  struct stat where;
  if (stat(directory.empty() ? "." : directory.c_str(), &where) == 0 &&
      !MayReplace(info, where, geteuid())) {
    *error = "cannot write " + name_ +
             ": it is another user's file in a sticky directory";
    return false;
  }
  return OpenTemporary(target_, info.st_mode & 0777, error);
}

bool OutputFile::OpenStandardOutput(std::string* error) {
  if (isatty(STDOUT_FILENO)) {
    *error = "will not write a PNG to a terminal (standard output)";
    return false;
  }
  fd_ = STDOUT_FILENO;
  ownsFd_ = false;
  return true;
}

bool OutputFile::OpenInPlace(const std::string& path, std::string* error) {
  // Not blocking, so that a FIFO without a reader is a bounded wait.
  for (int waited = 0;; waited += kReaderPollMs) {
    fd_ = open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
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
  MadeLock lock;
  fd_ = mkostemp(&temporary_[0], O_CLOEXEC);
  if (fd_ < 0) {
    temporary_.clear();
    *error = Reason("cannot write");
    return false;
  }
  ownsFd_ = true;
  if (!NoteMade(Made::kFile, temporary_)) {
    Discard();
    *error = "not enough memory to write " + name_;
    return false;
  }
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
  if (!ok || temporary_.empty()) {
    if (!ok) Discard();
    return ok;
  }
  MadeLock lock;
  if (std::rename(temporary_.c_str(), target_.c_str()) != 0) {
    *error = Reason("cannot write");
    Discard();
    return false;
  }
  ForgetMade(temporary_);
  temporary_.clear();
  if (createsFile_ && !NoteMade(Made::kFile, target_)) {
    unlink(target_.c_str());
    *error = "not enough memory to write " + name_;
    return false;
  }
  return true;
}

void OutputFile::Discard() {
  if (ownsFd_ && fd_ >= 0) close(fd_);
  fd_ = -1;
  ownsFd_ = false;
  if (!temporary_.empty()) {
    MadeLock lock;
    unlink(temporary_.c_str());
    ForgetMade(temporary_);
    temporary_.clear();
  }
}

}  // namespace mandeldive
