#include "output/sticky_rules.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace mandeldive {

namespace {

// As the kernel's own limit on links followed in one path.
constexpr int kMaxLinks = 40;

}  // namespace

bool MayFollowLink(const struct stat& link, const struct stat& directory,
                   uid_t user) {
  const mode_t shared = S_ISVTX | S_IWOTH;
  return link.st_uid == user || (directory.st_mode & shared) != shared ||
         directory.st_uid == link.st_uid;
}

bool MayReplace(const struct stat& file, const struct stat& directory,
                uid_t user) {
  return (directory.st_mode & S_ISVTX) == 0 || file.st_uid == user ||
         directory.st_uid == user || user == 0;
}

std::string DirectoryOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return "";
  return path.substr(0, slash + 1);
}

bool FollowLinks(const std::string& path, std::string* target,
                 std::string* error) {
  const auto cannot = [&](int number) {
    *error = "cannot follow the link " + path + ": " + std::strerror(number);
    return false;
  };
  std::string current = path;
  for (int i = 0; i < kMaxLinks; ++i) {
    struct stat link;
    if (lstat(current.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) {
      *target = current;
      return true;
    }
    const std::string directory = DirectoryOf(current);
    struct stat where;
    if (stat(directory.empty() ? "." : directory.c_str(), &where) != 0) {
      return cannot(errno);
    }
    if (!MayFollowLink(link, where, geteuid())) {
      *error = "will not write " + path +
               ": it leads through another user's link in a sticky directory";
      return false;
    }
    char text[4096];
    const ssize_t length = readlink(current.c_str(), text, sizeof text - 1);
    if (length < 0) return cannot(errno);
    text[length] = '\0';
    current = text[0] == '/' ? std::string(text) : directory + text;
  }
  return cannot(ELOOP);
}

bool MayWriteThrough(const std::string& path, std::string* error) {
  std::string target;
  if (!FollowLinks(path, &target, error)) return false;
  const std::string directory = DirectoryOf(target);
  struct stat file;
  struct stat where;
  if (stat(target.c_str(), &file) == 0 && S_ISREG(file.st_mode) &&
      stat(directory.empty() ? "." : directory.c_str(), &where) == 0 &&
      !MayReplace(file, where, geteuid())) {
    *error = "cannot write " + path +
             ": it is another user's file in a sticky directory";
    return false;
  }
  return true;
}

}  // namespace mandeldive
