// Feeds arbitrary bytes to the PE version reader: as a whole image, and (first byte odd) directly as a
// version tree. Any read outside the input is reported by AddressSanitizer.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "sysinfo/pe_version_resource.h"
#include "sysinfo/version_tree.h"

namespace {

void QueryAll(std::vector<std::uint8_t> resource) {
  const maj::sysinfo::VersionTree tree(std::move(resource));
  tree.HasRoot();
  for (const char* path : {"\\", "\\VarFileInfo\\Translation", "\\StringFileInfo\\040C04E4\\CompanyName",
                           "\\StringFileInfo\\040904B0\\FileVersion", "\\StringFileInfo\\040904E4\\FileVersion",
                           "\\StringFileInfo\\040704E4\\CompanyName"}) {
    if (const auto value = tree.Query(path)) {
      volatile std::uint8_t sink = 0;
      for (std::uint8_t b : value->bytes) sink = sink ^ b;
    }
    tree.QueryText(path);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Copy into an exactly sized buffer so that any overread reaches the red zone.
  const std::vector<std::uint8_t> image(data, data + size);
  if (auto resource = maj::sysinfo::FindVersionResource(image)) QueryAll(std::move(*resource));
  if (size > 0 && (data[0] & 1) != 0) QueryAll(std::vector<std::uint8_t>(data + 1, data + size));
  return 0;
}
