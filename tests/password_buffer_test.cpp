#include "host/auth/password_buffer.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

namespace mandeldive {
namespace {

// Every byte of the buffer's storage, terminator included, is zero from
// `from` on.
bool ZeroFrom(const PasswordBuffer& buffer, std::size_t from) {
  for (std::size_t i = from; i <= PasswordBuffer::kCapacity; ++i) {
    if (buffer.data()[i] != 0) return false;
  }
  return true;
}

TEST(PasswordBuffer, BoundAndControlCharacters) {
  PasswordBuffer buffer;
  const std::string full(PasswordBuffer::kCapacity - 1, 'a');
  EXPECT_TRUE(buffer.Append(full.data(), full.size()));
  EXPECT_FALSE(buffer.Append("\xc3\xa9", 2)) << "two bytes into one";
  EXPECT_TRUE(buffer.Append("b", 1));
  EXPECT_FALSE(buffer.Append("c", 1)) << "past kCapacity";
  EXPECT_EQ(buffer.size(), PasswordBuffer::kCapacity);
  EXPECT_EQ(buffer.data()[PasswordBuffer::kCapacity], 0);

  buffer.Clear();
  for (const char* refused : {"\0", "\t", "\x01", "\x7f", "a\x15"}) {
    EXPECT_FALSE(buffer.Append(refused, refused[0] == 0 ? 1 : strlen(refused)))
        << static_cast<int>(refused[0]);
  }
  EXPECT_EQ(buffer.size(), 0u);
}

TEST(PasswordBuffer, BackspaceDropsOneCodePointAndWipesIt) {
  struct {
    const char* typed;
    std::size_t keptBytes;
    std::size_t keptCodePoints;
  } const cases[] = {
      {"ab", 1, 1},
      {"a\xc3\xa9", 1, 1},              // é: two bytes
      {"a\xe2\x82\xac", 1, 1},          // €: three bytes
      {"a\xf0\x9f\x94\x92", 1, 1},      // 🔒: four bytes
      {"\xc3\xa9\xc3\xa9", 2, 1},       // éé
      {"a\x80\x80\x80\x80\x80", 2, 1},  // stray continuations: four at most
      {"", 0, 0},
  };
  for (const auto& c : cases) {
    PasswordBuffer buffer;
    ASSERT_TRUE(buffer.Append(c.typed, strlen(c.typed)));
    buffer.Backspace();
    EXPECT_EQ(buffer.size(), c.keptBytes) << c.typed;
    EXPECT_EQ(buffer.codePoints(), c.keptCodePoints) << c.typed;
    EXPECT_EQ(std::string(buffer.data(), buffer.size()),
              std::string(c.typed, c.keptBytes));
    EXPECT_TRUE(ZeroFrom(buffer, c.keptBytes)) << c.typed;
  }
}

TEST(PasswordBuffer, ClearWipesEveryByteOfItsStorage) {
  PasswordBuffer buffer;
  const std::string secret(PasswordBuffer::kCapacity, 's');
  ASSERT_TRUE(buffer.Append(secret.data(), secret.size()));
  const char* storage = buffer.data();
  buffer.Clear();
  EXPECT_EQ(buffer.data(), storage);
  EXPECT_EQ(buffer.size(), 0u);
  EXPECT_TRUE(ZeroFrom(buffer, 0));
}

// Where RLIMIT_MEMLOCK forbids mlock (a user without CAP_IPC_LOCK), the
// buffer still works and says it is not locked. Root drops to nobody first.
TEST(PasswordBuffer, WorksUnlockedWhenMlockIsRefused) {
  {
    PasswordBuffer here;
    std::printf("mlock as uid %d: %s\n", static_cast<int>(getuid()),
                here.locked() ? "locked" : "refused");
  }
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const rlimit none = {0, 0};
    if (setrlimit(RLIMIT_MEMLOCK, &none) != 0) _exit(10);
    if (getuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(11);
    PasswordBuffer buffer;
    if (buffer.locked()) _exit(12);
    if (!buffer.Append("pw", 2) || buffer.size() != 2) _exit(13);
    _exit(0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
}  // namespace mandeldive
