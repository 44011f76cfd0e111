#include "tools/frame_directory.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "output/output_file.h"
#include "output/png_writer.h"

namespace mandeldive {

std::string FrameDirectory::FramePath(const std::string& dir,
                                      std::int64_t tick) {
  char name[32];
  std::snprintf(name, sizeof name, "tick-%02lld.png",
                static_cast<long long>(tick));
  return dir + "/" + name;
}

bool FrameDirectory::Prepare(const std::string& dir, std::string* error) {
  dir_ = dir;
  for (std::size_t i = 1; i <= dir.size(); ++i) {
    if (i < dir.size() && dir[i] != '/') continue;
    const std::string prefix = dir.substr(0, i);
    if (mkdir(prefix.c_str(), 0777) == 0) {
      createdDirectories_.push_back(prefix);
    } else if (errno != EEXIST) {
      *error =
          "cannot create directory " + prefix + ": " + std::strerror(errno);
      RemoveCreated();
      return false;
    }
  }
  struct stat info;
  if (stat(dir.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
    *error = "frames directory " + dir + " is not a directory";
    RemoveCreated();
    return false;
  }
  // Writable as the frames will be written, whoever the user is.
  std::string probe = dir + "/.mandeldive-probe.XXXXXX";
  const int fd = mkstemp(&probe[0]);
  if (fd < 0) {
    *error = "cannot write in " + dir + ": " + std::strerror(errno);
    RemoveCreated();
    return false;
  }
  close(fd);
  unlink(probe.c_str());
  return true;
}

bool FrameDirectory::Write(std::int64_t tick, const PixelView& picture,
                           std::string* error) {
  const std::string path = FramePath(dir_, tick);
  OutputFile output;
  if (!output.Open(path, error) ||
      !EncodePng(output.fd(), path, picture, error)) {
    return false;
  }
  const bool creates = output.createsFile();
  if (!output.Commit(error)) return false;
  if (creates) createdFiles_.push_back(path);
  return true;
}

void FrameDirectory::RemoveCreated() {
  for (const std::string& file : createdFiles_) unlink(file.c_str());
  createdFiles_.clear();
  // Deepest first; a directory that holds anything else stays.
  for (auto d = createdDirectories_.rbegin(); d != createdDirectories_.rend();
       ++d) {
    rmdir(d->c_str());
  }
  createdDirectories_.clear();
}

}  // namespace mandeldive
