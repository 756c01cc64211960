#pragma once
#include <filesystem>
#include <string>
#include <vector>

namespace maj::testing {

// A fresh folder under the system's temporary folder, removed with everything in it when the object dies.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::string str() const { return path_.string(); }

  // Writes `content` to `relative` (creating its folders) and returns the full path.
  std::string WriteFile(const std::string& relative, const std::string& content) const;

 private:
  std::filesystem::path path_;
};

// The whole content of a file ("" when it cannot be read).
std::string ReadFileText(const std::filesystem::path& path);

// Every file and folder under `folder`, as sorted relative paths ("a", "a/b.txt").
std::vector<std::string> ListTree(const std::filesystem::path& folder);

}  // namespace maj::testing
