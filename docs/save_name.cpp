#include "docs/save_name.h"

#include <filesystem>

namespace maj::docs {
namespace {

bool IsControl(unsigned char byte, unsigned char next) {
  return byte < 0x20 || byte == 0x7F || (byte == 0xC2 && next >= 0x80 && next <= 0x9F);
}

bool IsTrimmed(char c) { return c == ' ' || c == '.' || c == '\t'; }

}  // namespace

std::string ProposedDocumentPath(std::string_view label, const std::string& documentsFolder) {
  const size_t separator = label.find_last_of("/\\");
  if (separator != std::string_view::npos) label.remove_prefix(separator + 1);
  std::string name;
  for (size_t i = 0; i < label.size(); ++i) {
    const auto byte = static_cast<unsigned char>(label[i]);
    const auto next = i + 1 < label.size() ? static_cast<unsigned char>(label[i + 1]) : 0;
    if (!IsControl(byte, next)) {
      name += label[i];
    } else if (byte == 0xC2) {
      ++i;  // the second byte of a C1 control
    }
  }
  if (name.size() > kMaxDocumentNameBytes) {
    size_t end = kMaxDocumentNameBytes;
    while (end > 0 && (static_cast<unsigned char>(name[end]) & 0xC0) == 0x80) --end;
    name.resize(end);
  }
  const size_t first = name.find_first_not_of(" .\t");
  name = first == std::string::npos ? std::string() : name.substr(first);
  while (!name.empty() && IsTrimmed(name.back())) name.pop_back();
  if (name.empty()) name = kDefaultDocumentName;
  return (std::filesystem::path(documentsFolder) / name).string();
}

}  // namespace maj::docs
