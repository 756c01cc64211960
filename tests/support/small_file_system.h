#pragma once
// A small file system for the tests of full disks: a tmpfs mounted on a folder for the life of an object.
#include <cstdint>
#include <string>

namespace maj::testing {

// Mounts a tmpfs of `bytes` on the existing folder `folder` (hiding what it holds) and unmounts it when the
// object dies, after a failed test too. Mounting needs root: when it is refused, Mounted() is false and
// Why() says why, for GTEST_SKIP.
class SmallFileSystem {
 public:
  SmallFileSystem(std::string folder, std::uint64_t bytes);
  ~SmallFileSystem();
  SmallFileSystem(const SmallFileSystem&) = delete;
  SmallFileSystem& operator=(const SmallFileSystem&) = delete;

  bool Mounted() const { return mounted_; }
  const std::string& Why() const { return why_; }

 private:
  std::string folder_;
  bool mounted_ = false;
  std::string why_;
};

}  // namespace maj::testing
