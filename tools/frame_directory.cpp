#include "tools/frame_directory.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <system_error>
#include <thread>
#include <utility>

#include "output/made_files.h"
#include "output/output_file.h"
#include "output/png_writer.h"
#include "output/sticky_rules.h"

namespace mandeldive {

std::string FrameDirectory::FramePath(const std::string& dir,
                                      std::int64_t tick) {
  char name[32];
  std::snprintf(name, sizeof name, "tick-%02lld.png",
                static_cast<long long>(tick));
  return dir + "/" + name;
}

bool FrameDirectory::Prepare(const std::string& dir, std::int64_t ticks,
                             std::string* error) {
  dir_ = dir;
  const auto fail = [&](std::string reason) {
    *error = std::move(reason);
    TakeBackMade();
    return false;
  };
  for (std::size_t i = 1; i <= dir.size(); ++i) {
    if (i < dir.size() && dir[i] != '/') continue;
    const std::string prefix = dir.substr(0, i);
    MadeLock lock;
    if (mkdir(prefix.c_str(), 0777) == 0) {
      if (!NoteMade(Made::kDirectory, prefix)) {
        rmdir(prefix.c_str());
        return fail("not enough memory to make " + prefix);
      }
    } else if (errno != EEXIST) {
      return fail("cannot create directory " + prefix + ": " +
                  std::strerror(errno));
    }
  }
  std::string target;
  if (!FollowLinks(dir, &target, error)) return fail(*error);
  struct stat info;
  if (stat(dir.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
    return fail("frames directory " + dir + " is not a directory");
  }
  {
    // Writable as the frames will be written, whoever the user is. Made
    // and removed under the lock, so an interrupt never finds it.
    MadeLock lock;
    std::string probe = dir + "/.mandeldive-probe.XXXXXX";
    const int fd = mkstemp(&probe[0]);
    if (fd < 0) {
      return fail("cannot write in " + dir + ": " + std::strerror(errno));
    }
    close(fd);
    unlink(probe.c_str());
  }
  // In someone else's sticky directory a frame's name may already be
  // another user's link or file, so every tick's is checked now: the run
  // fails before it renders, not at that tick.
  if ((info.st_mode & S_ISVTX) != 0 && info.st_uid != geteuid()) {
    for (std::int64_t tick = 1; tick <= ticks; ++tick) {
      if (!MayWriteThrough(FramePath(dir, tick), error)) return fail(*error);
    }
  }
  return true;
}

// A frame between Write and its commit. The encoder thread touches only
// `ok`, `error` and `picture`, and writes to the file's descriptor; the
// temporary file itself, its name and its removal on a signal stay with
// the caller's thread.
struct FrameDirectory::Pending {
  std::string path;
  OutputFile output;
  std::vector<ColorRef> picture;  // a column after another
  std::thread encoder;
  bool ok = false;
  std::string error;

  void Encode(const PixelView& view) {
    try {
      ok = EncodePng(output.fd(), path, view, &error);
    } catch (const std::bad_alloc&) {
      ok = false;
      error = "not enough memory to encode " + path;
    }
  }
};

FrameDirectory::FrameDirectory() = default;

FrameDirectory::~FrameDirectory() { DropPending(); }

bool FrameDirectory::Write(std::int64_t tick, const PixelView& picture,
                           std::string* error) {
  while (!pending_.empty() &&
         static_cast<std::int32_t>(pending_.size()) >= inFlight_) {
    if (!SettleOldest(error)) return false;
  }
  auto frame = std::make_unique<Pending>();
  frame->path = FramePath(dir_, tick);
  if (!frame->output.Open(frame->path, error)) return false;
  Pending* const f = frame.get();
  if (inFlight_ <= 0) {
    pending_.push_back(std::move(frame));
    f->Encode(picture);
    return SettleOldest(error);
  }
  // A picture a settled frame gave back, so that each frame does not pay
  // to zero and fault in fresh pages; every pixel is written below.
  if (!spare_.empty()) {
    f->picture = std::move(spare_.back());
    spare_.pop_back();
  }
  const std::size_t h = static_cast<std::size_t>(picture.height);
  f->picture.resize(static_cast<std::size_t>(picture.width) * h);
  for (std::int32_t x = 0; x < picture.width; ++x) {
    ColorRef* column = f->picture.data() + static_cast<std::size_t>(x) * h;
    if (picture.yStride == 1) {  // the memory surface's columns: one copy
      std::copy_n(picture.pixels + x * picture.xStride, h, column);
      continue;
    }
    for (std::int32_t y = 0; y < picture.height; ++y) {
      column[y] = picture.At(x, y);
    }
  }
  const PixelView copy =
      PixelView::ColumnMajor(f->picture.data(), picture.width, picture.height);
  pending_.push_back(std::move(frame));
  try {
    f->encoder = std::thread([f, copy] { f->Encode(copy); });
  } catch (const std::system_error&) {
    f->Encode(copy);  // no thread to be had: this one encodes it
  }
  return true;
}

bool FrameDirectory::SettleOldest(std::string* error) {
  std::unique_ptr<Pending> frame = std::move(pending_.front());
  pending_.pop_front();
  if (frame->encoder.joinable()) frame->encoder.join();
  if (!frame->picture.empty()) spare_.push_back(std::move(frame->picture));
  if (!frame->ok) {
    *error = frame->error;
    return false;
  }
  return frame->output.Commit(error);
}

bool FrameDirectory::Finish(std::string* error) {
  while (!pending_.empty()) {
    if (!SettleOldest(error)) return false;
  }
  return true;
}

void FrameDirectory::DropPending() {
  for (auto& frame : pending_) {
    if (frame->encoder.joinable()) frame->encoder.join();
  }
  pending_.clear();  // their temporary files go with them
}

}  // namespace mandeldive
