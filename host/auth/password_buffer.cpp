#include "host/auth/password_buffer.h"

#include <string.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <new>

namespace mandeldive {

namespace {

bool IsContinuation(char byte) {
  return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

bool IsControl(char byte) {
  const unsigned char b = static_cast<unsigned char>(byte);
  return b < 0x20 || b == 0x7F;
}

}  // namespace

PasswordBuffer::PasswordBuffer() {
  const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
  mapped_ = (kCapacity + 1 + page - 1) / page * page;
  void* pages = mmap(nullptr, mapped_, PROT_READ | PROT_WRITE,
                     MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (pages == MAP_FAILED) throw std::bad_alloc();
  bytes_ = static_cast<char*>(pages);
  // Without CAP_IPC_LOCK, RLIMIT_MEMLOCK decides (EPERM, ENOMEM): the
  // buffer then works unlocked, and locked() says so. The system call
  // itself, as AddressSanitizer's mlock() does nothing and says yes.
  locked_ = syscall(SYS_mlock, bytes_, mapped_) == 0;
  madvise(bytes_, mapped_, MADV_DONTDUMP);
}

PasswordBuffer::~PasswordBuffer() {
  Clear();
  if (locked_) syscall(SYS_munlock, bytes_, mapped_);
  munmap(bytes_, mapped_);
}

bool PasswordBuffer::Append(const char* utf8, std::size_t n) {
  if (n > kCapacity - size_) return false;
  for (std::size_t i = 0; i < n; ++i) {
    if (IsControl(utf8[i])) return false;
  }
  memcpy(bytes_ + size_, utf8, n);
  size_ += n;
  return true;
}

void PasswordBuffer::Backspace() {
  if (size_ == 0) return;
  std::size_t start = size_ - 1;
  while (start > 0 && size_ - start < 4 && IsContinuation(bytes_[start])) {
    --start;
  }
  explicit_bzero(bytes_ + start, size_ - start);
  size_ = start;
}

void PasswordBuffer::Clear() {
  explicit_bzero(bytes_, kCapacity + 1);
  size_ = 0;
}

std::size_t PasswordBuffer::codePoints() const {
  std::size_t count = 0;
  for (std::size_t i = 0; i < size_; ++i) {
    if (!IsContinuation(bytes_[i])) ++count;
  }
  return count;
}

}  // namespace mandeldive
