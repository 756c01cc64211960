#include "tests/archive/zip_test_support.h"

#include <sys/wait.h>
#include <zip.h>

#include <cstdlib>
#include <fstream>
#include <stdexcept>

#include "archive/zip_component.h"
#include "tests/support/temp_folder.h"

namespace maj::archive::testing {

void WriteZip(const std::string& source, const std::string& archive, double volumeSize) {
  ZipComponent zip;
  zip.AddFile(source, "", "");
  zip.SetVolumeSize(volumeSize);
  zip.WriteArchive(archive);
}

void ExtractZip(const std::string& archive, const std::string& folder) {
  ZipComponent zip;
  zip.OpenArchive(archive);
  zip.ExtractArchive(folder);
}

int RunQuiet(const std::string& command) {
  int status = std::system((command + " >/dev/null 2>&1").c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string ShellQuote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

void WriteRawZip(const std::string& path, const std::vector<std::pair<std::string, std::string>>& entries) {
  int code = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
  if (archive == nullptr) throw std::runtime_error("zip_open failed for " + path);
  for (const auto& [name, content] : entries) {
    zip_source_t* source = zip_source_buffer(archive, content.data(), content.size(), 0);
    zip_int64_t index = zip_file_add(archive, name.c_str(), source, 0);
    if (index < 0) throw std::runtime_error("zip_file_add failed for " + name);
    zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_STORE, 0);
  }
  if (zip_close(archive) != 0) throw std::runtime_error("zip_close failed for " + path);
}

void FlipByteAt(const std::string& path, const std::string& marker) {
  std::string content = maj::testing::ReadFileText(path);
  size_t at = content.find(marker);
  if (at == std::string::npos) throw std::runtime_error("marker not found in " + path);
  content[at] = static_cast<char>(content[at] ^ 0x55);
  std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
}

}  // namespace maj::archive::testing
