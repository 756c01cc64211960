#include "tests/support/small_file_system.h"

#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace maj::testing {

SmallFileSystem::SmallFileSystem(std::string folder, std::uint64_t bytes) : folder_(std::move(folder)) {
  if (geteuid() != 0) {
    why_ = "a small file system needs root to be mounted";
    return;
  }
  const std::string options = "size=" + std::to_string(bytes) + ",mode=0755";
  mounted_ = mount("tmpfs", folder_.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) == 0;
  if (!mounted_) why_ = "mounting a tmpfs on " + folder_ + " was refused: " + std::strerror(errno);
}

SmallFileSystem::~SmallFileSystem() {
  // Detached, so that a file still open somewhere cannot keep the mount alive after the test.
  if (mounted_) umount2(folder_.c_str(), MNT_DETACH);
}

}  // namespace maj::testing
