// What the kernel lets a user do in a sticky directory such as /tmp, which
// other users write too, applied by the renderer to every path it writes
// before it writes there: it follows links itself (to rename onto a link's
// target) and replaces files by rename, so it must ask what the kernel
// would have asked of a plain `>`.
#ifndef MANDELDIVE_OUTPUT_STICKY_RULES_H_
#define MANDELDIVE_OUTPUT_STICKY_RULES_H_

#include <sys/stat.h>
#include <sys/types.h>

#include <string>

namespace mandeldive {

// fs.protected_symlinks=1 (as most systems set it, and as the renderer
// acts whatever it is set to): a link in a sticky world-writable directory
// is followed only by its owner, or when the directory's owner owns it too.
bool MayFollowLink(const struct stat& link, const struct stat& directory,
                   uid_t user);

// rename's sticky rule: a file in a sticky directory is replaced only by
// its owner, the directory's owner or root.
bool MayReplace(const struct stat& file, const struct stat& directory,
                uid_t user);

// The path with every link at its end followed, as the kernel follows them
// on open: *target is the last path reached, which may name nothing yet.
// False with a one-line reason (naming `path`) on a link MayFollowLink
// refuses, a loop or an unreadable link.
bool FollowLinks(const std::string& path, std::string* target,
                 std::string* error);

// Whether a file may be put at path by rename onto where its links lead:
// FollowLinks allows them, and MayReplace the regular file there, if any.
// False with a one-line reason naming `path`.
bool MayWriteThrough(const std::string& path, std::string* error);

// The directory a path's last name is in: "dir/" or "" for the current one.
std::string DirectoryOf(const std::string& path);

}  // namespace mandeldive

#endif  // MANDELDIVE_OUTPUT_STICKY_RULES_H_
