// Where a program's output goes, chosen and checked before any work is
// done, so that a run that cannot write its output fails before it starts.
#ifndef MANDELDIVE_OUTPUT_OUTPUT_FILE_H_
#define MANDELDIVE_OUTPUT_OUTPUT_FILE_H_

#include <string>

namespace mandeldive {

// One output, in one of three ways:
// - "-", or a path that leads to standard output when that is not a
//   regular file (/dev/stdout into a pipe): standard output, written in
//   place;
// - a regular file, or nothing yet: written under a temporary name beside
//   it and renamed onto it by Commit, so the path holds its old content or
//   the whole new output, never a part;
// - a FIFO, a device or another file that is not regular: opened and
//   written in place, as the shell's > would.
// A symbolic link is followed to its final target first, where the kernel
// would follow it (sticky_rules.h), so the link stays and its target
// changes. The temporary file and a file Commit creates are noted as made
// (made_files.h) until the run keeps them. Destroying an output that was
// not committed removes its temporary file.
class OutputFile {
 public:
  OutputFile() = default;
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // False with a one-line reason when the output cannot be written: a
  // directory, a missing or unwritable directory, another user's link or
  // file in a sticky directory, a FIFO nobody reads within a few seconds,
  // a terminal on standard output.
  bool Open(const std::string& path, std::string* error);

  // Where to write the content.
  int fd() const { return fd_; }
  // The path as given, for messages.
  const std::string& name() const { return name_; }
  // True when Commit makes a file that did not exist before Open.
  bool createsFile() const { return createsFile_; }

  // Makes the written content the output: synced, given a regular file's
  // permissions and renamed into place; a file it creates is noted as made.
  // False with a one-line reason, and the temporary file removed, when
  // that fails.
  bool Commit(std::string* error);

  // Drops the output: the temporary file is removed, the target untouched.
  void Discard();

 private:
  bool OpenStandardOutput(std::string* error);
  bool OpenInPlace(const std::string& path, std::string* error);
  bool OpenTemporary(const std::string& target, unsigned mode,
                     std::string* error);
  std::string Reason(const char* what) const;

  std::string name_;
  std::string target_;     // the final path, links resolved
  std::string temporary_;  // empty when written in place
  int fd_ = -1;
  unsigned mode_ = 0;  // the permissions the renamed file gets
  bool ownsFd_ = false;
  bool createsFile_ = false;
};

}  // namespace mandeldive

#endif  // MANDELDIVE_OUTPUT_OUTPUT_FILE_H_
