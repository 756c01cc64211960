#include "platform/unique_fd.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "tests/support/temp_folder.h"

namespace maj::platform {
namespace {

bool IsOpen(int fd) { return fcntl(fd, F_GETFD) != -1; }

int OpenDevNull() { return open("/dev/null", O_RDONLY | O_CLOEXEC); }

TEST(UniqueFdTest, OwnsExactlyOneDescriptorAndReportsAFailedClose) {
  const int raw = OpenDevNull();
  {
    UniqueFd first(raw);
    UniqueFd second(std::move(first));
    UniqueFd third;
    third = std::move(second);
    EXPECT_FALSE(first.valid());
    EXPECT_EQ(third.get(), raw);
    EXPECT_TRUE(IsOpen(raw));
  }
  EXPECT_FALSE(IsOpen(raw));

  UniqueFd fd(OpenDevNull());
  const int old = fd.get();
  fd.reset(OpenDevNull());
  EXPECT_FALSE(IsOpen(old));
  const int released = fd.release();
  EXPECT_FALSE(fd.valid());
  EXPECT_TRUE(IsOpen(released));
  close(released);

  fd.reset(OpenDevNull());
  EXPECT_TRUE(fd.Close());
  EXPECT_FALSE(fd.valid());
  EXPECT_FALSE(fd.Close());
  EXPECT_EQ(errno, EBADF);
  // A descriptor closed behind the owner's back: close() fails and Close() says so.
  UniqueFd stale(OpenDevNull());
  close(stale.get());
  EXPECT_FALSE(stale.Close());
}

TEST(WriteAllTest, WritesEveryByteOrReportsTheFailure) {
  maj::testing::TempFolder temp;
  const std::string path = temp.str() + "/out.bin";
  std::string content(3 * 1024 * 1024 + 17, '\0');
  for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 7);
  UniqueFd out(open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644));
  EXPECT_TRUE(WriteAll(out.get(), content.data(), content.size()));
  EXPECT_TRUE(out.Close());
  EXPECT_EQ(maj::testing::ReadFileText(path), content);

  UniqueFd readOnly(open(path.c_str(), O_RDONLY | O_CLOEXEC));
  EXPECT_FALSE(WriteAll(readOnly.get(), "x", 1));
  EXPECT_EQ(errno, EBADF);
}

}  // namespace
}  // namespace maj::platform
