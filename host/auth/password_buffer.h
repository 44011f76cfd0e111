// The one place the locker keeps a password: a fixed buffer in page(s) of
// its own, locked in memory where mlock is allowed, left out of core dumps
// (MADV_DONTDUMP), and wiped with a store the compiler cannot drop
// (explicit_bzero): after each attempt, on clear, and when it goes away.
#ifndef MANDELDIVE_HOST_AUTH_PASSWORD_BUFFER_H_
#define MANDELDIVE_HOST_AUTH_PASSWORD_BUFFER_H_

#include <cstddef>

namespace mandeldive {

class PasswordBuffer {
 public:
  static constexpr std::size_t kCapacity = 1024;  // bytes of UTF-8

  // Throws std::bad_alloc when no page can be mapped.
  PasswordBuffer();
  ~PasswordBuffer();  // wipes
  PasswordBuffer(const PasswordBuffer&) = delete;
  PasswordBuffer& operator=(const PasswordBuffer&) = delete;

  // Appends n bytes of a key's text. False, and nothing added, if they
  // would not fit, or hold a control character (NUL would end the string
  // PAM reads; Ctrl and Delete make control characters no login prompt
  // takes).
  bool Append(const char* utf8, std::size_t n);
  // Drops the last code point (at most 4 bytes) and wipes its bytes.
  void Backspace();
  // Wipes every byte.
  void Clear();

  // The password, NUL-terminated; the storage stays the same for the
  // buffer's life.
  const char* data() const { return bytes_; }
  std::size_t size() const { return size_; }  // bytes
  std::size_t codePoints() const;             // what the feedback counts
  bool locked() const { return locked_; }     // mlock succeeded

 private:
  char* bytes_;  // kCapacity + 1 bytes, the last always 0
  std::size_t mapped_;
  std::size_t size_ = 0;
  bool locked_ = false;
};

}  // namespace mandeldive

#endif  // MANDELDIVE_HOST_AUTH_PASSWORD_BUFFER_H_
