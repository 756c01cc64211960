#include "config/profile_reader.h"

#include <fstream>
#include <sstream>

#include "platform/environment.h"
#include "platform/paths.h"
#include "platform/text.h"

namespace maj::config {
namespace {

constexpr std::string_view kBlanks = " \t\r";

std::string_view Trim(std::string_view text) {
  const std::size_t start = text.find_first_not_of(kBlanks);
  if (start == std::string_view::npos) return std::string_view();
  return text.substr(start, text.find_last_not_of(kBlanks) - start + 1);
}

std::string_view Unquote(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

// The value as a buffer of `bufferSize` bytes holds it, NUL included; a UTF-8 character is never cut in two.
std::string Bounded(std::string_view value, std::size_t bufferSize) {
  if (bufferSize == 0) return std::string();
  if (value.size() < bufferSize) return std::string(value);
  std::size_t length = bufferSize - 1;
  while (length > 0 && (static_cast<unsigned char>(value[length]) & 0xC0) == 0x80) --length;
  return std::string(value.substr(0, length));
}

// A path that is not full is looked for in the Windows folder, as the profile reader does.
std::string LocalSettingsPath(std::string_view fileName) {
  std::string path = platform::ToLocalPath(fileName);
  if (!platform::IsFullPath(fileName)) {
    path = platform::ToLocalPath(platform::GetEnvironmentText("WINDIR")) + "/" + path;
  }
  return platform::ResolvePathCase(path);
}

std::optional<std::string> FindValue(std::istream& in, std::string_view section, std::string_view key) {
  std::string line;
  bool inSection = false;
  bool firstLine = true;
  while (std::getline(in, line)) {
    std::string_view text(line);
    if (firstLine && text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    firstLine = false;
    text = Trim(text);
    if (text.empty() || text.front() == ';') continue;
    if (text.front() == '[') {
      const std::size_t close = text.find(']');
      const std::string_view name = Trim(text.substr(1, close == std::string_view::npos ? close : close - 1));
      // Later sections of the same name are searched too.
      inSection = platform::EqualsIgnoreCase(name, Trim(section));
      continue;
    }
    if (!inSection) continue;
    const std::size_t equals = text.find('=');
    const std::string_view name = Trim(text.substr(0, equals));
    if (!platform::EqualsIgnoreCase(name, Trim(key))) continue;
    if (equals == std::string_view::npos) return std::string();
    return std::string(Unquote(Trim(text.substr(equals + 1))));
  }
  return std::nullopt;
}

}  // namespace

std::string ReadProfileString(std::string_view section, std::string_view key, std::string_view defaultValue,
                              std::size_t bufferSize, std::string_view fileName) {
  // The default loses its trailing blanks, as the profile reader's does.
  const std::string fallback = Bounded(defaultValue.substr(0, defaultValue.find_last_not_of(' ') + 1), bufferSize);
  if (fileName.empty()) return fallback;
  std::ifstream in(LocalSettingsPath(fileName), std::ios::binary);
  if (!in) return fallback;
  const auto value = FindValue(in, section, key);
  return value ? Bounded(*value, bufferSize) : fallback;
}

}  // namespace maj::config
