#include "platform/registry_document.h"

#include <cstdio>
#include <stdexcept>

#include "platform/text.h"

namespace maj::platform::registry_internal {
namespace {

constexpr std::string_view kBlanks = " \t";

std::string_view TrimLeft(std::string_view text) {
  const std::size_t start = text.find_first_not_of(kBlanks);
  return start == std::string_view::npos ? std::string_view() : text.substr(start);
}

std::string_view TrimRight(std::string_view text) {
  const std::size_t end = text.find_last_not_of(kBlanks);
  return end == std::string_view::npos ? std::string_view() : text.substr(0, end + 1);
}

// The line without its "\n" or "\r\n".
std::string_view WithoutLineEnd(std::string_view line) {
  if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

// Key paths compare ignoring case and surrounding backslashes.
std::string_view NormalizeKey(std::string_view key) {
  while (!key.empty() && key.front() == '\\') key.remove_prefix(1);
  while (!key.empty() && key.back() == '\\') key.remove_suffix(1);
  return key;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads a quoted text starting at text[0] == '"', with the escapes \\ and \"; moves `text` past the closing
// quote. A backslash before any other character is kept as written.
std::optional<std::string> ReadQuoted(std::string_view& text) {
  if (text.empty() || text.front() != '"') return std::nullopt;
  std::string out;
  std::size_t i = 1;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"') break;
    if (c == '\\' && i + 1 < text.size() && (text[i + 1] == '\\' || text[i + 1] == '"')) {
      out += text[++i];
    } else {
      out += c;
    }
  }
  if (i >= text.size()) return std::nullopt;
  text.remove_prefix(i + 1);
  return out;
}

// "61,00,62" (blanks, line continuations and a trailing comma allowed) as bytes.
std::optional<std::string> ReadHexBytes(std::string_view text) {
  std::string bytes;
  std::string digits;
  for (const char c : text) {
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\\') continue;
    if (c == ',') {
      if (digits.empty()) return std::nullopt;
      bytes += static_cast<char>(HexDigit(digits[0]) * 16 + HexDigit(digits[1]));
      digits.clear();
      continue;
    }
    if (HexDigit(c) < 0 || digits.size() == 2) return std::nullopt;
    digits += c;
  }
  if (digits.size() == 1) return std::nullopt;
  if (digits.size() == 2) bytes += static_cast<char>(HexDigit(digits[0]) * 16 + HexDigit(digits[1]));
  return bytes;
}

// Strings of a REG_MULTI_SZ: each text followed by a NUL, the list ended by one more NUL. Empty texts inside
// the list are kept (a pending delete is an empty target).
std::vector<std::string> SplitMultiString(std::string bytes) {
  if (!bytes.empty() && bytes.back() == '\0') bytes.pop_back();
  std::vector<std::string> strings;
  std::string current;
  for (const char c : bytes) {
    if (c == '\0') {
      strings.push_back(current);
      current.clear();
    } else {
      current += c;
    }
  }
  if (!current.empty()) strings.push_back(current);
  return strings;
}

// The data part of a value line (after '='); nullopt when it is not understood.
std::optional<RegistryValue> ParseData(std::string_view data) {
  RegistryValue value;
  if (!data.empty() && data.front() == '"') {
    auto text = ReadQuoted(data);
    if (!text || !TrimRight(data).empty()) return std::nullopt;
    value.type = RegistryValueType::String;
    value.text = std::move(*text);
    return value;
  }
  if (StartsWithIgnoreCase(data, "dword:")) {
    const std::string_view digits = TrimRight(data.substr(6));
    if (digits.empty() || digits.size() > 8) return std::nullopt;
    std::uint32_t number = 0;
    for (const char c : digits) {
      if (HexDigit(c) < 0) return std::nullopt;
      number = number * 16 + static_cast<std::uint32_t>(HexDigit(c));
    }
    value.type = RegistryValueType::Dword;
    value.number = number;
    return value;
  }
  if (!StartsWithIgnoreCase(data, "hex")) return std::nullopt;
  data.remove_prefix(3);
  int type = 3;  // plain "hex:" is REG_BINARY
  if (!data.empty() && data.front() == '(') {
    const std::size_t close = data.find(')');
    if (close == std::string_view::npos || close == 1 || close > 9) return std::nullopt;
    type = 0;
    for (const char c : data.substr(1, close - 1)) {
      if (HexDigit(c) < 0) return std::nullopt;
      type = type * 16 + HexDigit(c);
    }
    data.remove_prefix(close + 1);
  }
  if (data.empty() || data.front() != ':') return std::nullopt;
  auto bytes = ReadHexBytes(data.substr(1));
  if (!bytes) return std::nullopt;
  if (type == 1) {  // REG_SZ written as bytes: the text up to its NUL
    value.type = RegistryValueType::String;
    value.text = bytes->substr(0, bytes->find('\0'));
  } else if (type == 7) {
    value.type = RegistryValueType::MultiString;
    value.strings = SplitMultiString(std::move(*bytes));
  } else if (type == 4 && bytes->size() == 4) {
    value.type = RegistryValueType::Dword;
    for (int i = 3; i >= 0; --i) value.number = value.number * 256 + static_cast<unsigned char>((*bytes)[i]);
  }
  return value;
}

// Name and data of a value line ("name"=data or @=data); nullopt when it is not one.
std::optional<std::pair<std::string, std::string_view>> SplitValueLine(std::string_view text) {
  text = TrimLeft(text);
  std::string name;
  if (!text.empty() && text.front() == '@') {
    text.remove_prefix(1);
  } else {
    auto quoted = ReadQuoted(text);
    if (!quoted) return std::nullopt;
    name = std::move(*quoted);
  }
  text = TrimLeft(text);
  if (text.empty() || text.front() != '=') return std::nullopt;
  return std::make_pair(std::move(name), TrimLeft(text.substr(1)));
}

// Any line that opens with '[' starts a section, so that the values below a header MAJ cannot read (a key
// deletion "[-...]", a malformed or unknown root) never count as values of the key above it.
RegistryEntry ParseSection(std::string_view text, std::string raw) {
  RegistryEntry entry;
  entry.kind = RegistryEntry::Kind::Section;
  entry.raw = std::move(raw);
  text = TrimRight(TrimLeft(text));
  if (text.size() < 2 || text.front() != '[' || text.back() != ']' || text[1] == '-') return entry;
  const std::string_view inside = text.substr(1, text.size() - 2);
  const std::size_t slash = inside.find('\\');
  const std::string_view rootName = inside.substr(0, slash);
  if (EqualsIgnoreCase(rootName, RegistryRootName(RegistryRoot::LocalMachine))) {
    entry.root = RegistryRoot::LocalMachine;
  } else if (EqualsIgnoreCase(rootName, RegistryRootName(RegistryRoot::CurrentUser))) {
    entry.root = RegistryRoot::CurrentUser;
  }
  if (slash != std::string_view::npos) entry.keyPath = std::string(NormalizeKey(inside.substr(slash + 1)));
  return entry;
}

std::string EscapeQuoted(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out + "\"";
}

std::string FormatHex(std::string_view prefix, std::string_view bytes, std::string_view lineEnd) {
  std::string out(prefix);
  std::size_t lineLength = out.size();
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    char hex[4];
    std::snprintf(hex, sizeof hex, "%02x", static_cast<unsigned char>(bytes[i]));
    out += hex;
    lineLength += 2;
    if (i + 1 < bytes.size()) {
      out += ',';
      ++lineLength;
      if (lineLength > 76) {  // regedit wraps hex data near 80 columns
        out += '\\';
        out += lineEnd;
        out += "  ";
        lineLength = 2;
      }
    }
  }
  return out;
}

}  // namespace

std::string FormatValueLine(std::string_view name, const RegistryValue& value, std::string_view lineEnd) {
  const std::string prefix = (name.empty() ? std::string("@") : EscapeQuoted(name)) + "=";
  switch (value.type) {
    case RegistryValueType::String:
      if (value.text.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos) {
        return prefix + EscapeQuoted(value.text);
      }
      // A line break cannot stand inside a quoted text: write it as REG_SZ bytes.
      return FormatHex(prefix + "hex(1):", value.text + std::string(1, '\0'), lineEnd);
    case RegistryValueType::MultiString: {
      std::string bytes;
      for (const auto& text : value.strings) bytes += text + std::string(1, '\0');
      bytes += '\0';
      return FormatHex(prefix + "hex(7):", bytes, lineEnd);
    }
    case RegistryValueType::Dword: {
      char digits[16];
      std::snprintf(digits, sizeof digits, "%08x", static_cast<unsigned>(value.number));
      return prefix + "dword:" + digits;
    }
    case RegistryValueType::Other:
      break;
  }
  throw std::logic_error("a registry value of unknown type cannot be written");
}

RegistryDocument RegistryDocument::Parse(std::string_view content) {
  RegistryDocument document;
  const std::size_t firstEnd = content.find('\n');
  document.crlf_ = firstEnd != std::string_view::npos && firstEnd > 0 && content[firstEnd - 1] == '\r';

  std::size_t pos = 0;
  auto nextLine = [&]() {
    std::size_t end = content.find('\n', pos);
    end = (end == std::string_view::npos) ? content.size() : end + 1;
    std::string_view line = content.substr(pos, end - pos);
    pos = end;
    return line;
  };

  while (pos < content.size()) {
    std::string raw(nextLine());
    std::string_view text = WithoutLineEnd(raw);
    if (document.entries_.empty() && StartsWithIgnoreCase(text, "\xEF\xBB\xBF")) text.remove_prefix(3);
    const std::string_view start = TrimLeft(text);

    if (!start.empty() && start.front() == '[') {
      document.entries_.push_back(ParseSection(start, std::move(raw)));
      continue;
    }
    RegistryEntry entry;
    if (!start.empty() && (start.front() == '"' || start.front() == '@')) {
      std::string logical(text);
      if (auto parts = SplitValueLine(logical); parts && StartsWithIgnoreCase(parts->second, "hex")) {
        // Hex data continues on the next lines while a line ends with '\'; a key header never continues it.
        while (!TrimRight(logical).empty() && TrimRight(logical).back() == '\\' && pos < content.size() &&
               !TrimLeft(content.substr(pos)).starts_with('[')) {
          const std::string_view more = nextLine();
          raw += more;
          logical += '\n';
          logical += WithoutLineEnd(more);
        }
      }
      if (auto parts = SplitValueLine(logical)) {
        if (auto value = ParseData(parts->second)) {
          entry.kind = RegistryEntry::Kind::Value;
          entry.name = std::move(parts->first);
          entry.value = std::move(*value);
        }
      }
    }
    entry.raw = std::move(raw);
    document.entries_.push_back(std::move(entry));
  }
  return document;
}

std::string RegistryDocument::Serialize() const {
  std::string content;
  for (const auto& entry : entries_) content += entry.raw;
  return content;
}

std::string RegistryDocument::LineEnd() const { return crlf_ ? "\r\n" : "\n"; }

bool RegistryDocument::InKey(std::size_t sectionIndex, RegistryRoot root, std::string_view key) const {
  const RegistryEntry& section = entries_[sectionIndex];
  return section.root == root && EqualsIgnoreCase(section.keyPath, NormalizeKey(key));
}

std::vector<std::size_t> RegistryDocument::ValueLines(RegistryRoot root, std::string_view key,
                                                      std::string_view name) const {
  std::vector<std::size_t> lines;
  std::optional<std::size_t> section;
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    const RegistryEntry& entry = entries_[i];
    if (entry.kind == RegistryEntry::Kind::Section) section = i;
    if (entry.kind == RegistryEntry::Kind::Value && section && InKey(*section, root, key) &&
        EqualsIgnoreCase(entry.name, name)) {
      lines.push_back(i);
    }
  }
  return lines;
}

std::optional<RegistryValue> RegistryDocument::Find(RegistryRoot root, std::string_view key,
                                                    std::string_view name) const {
  const std::vector<std::size_t> lines = ValueLines(root, key, name);
  // Like an import, a value given twice takes the later one.
  if (lines.empty()) return std::nullopt;
  return entries_[lines.back()].value;
}

std::optional<std::vector<std::string>> RegistryDocument::Names(RegistryRoot root, std::string_view key) const {
  const std::string_view wanted = NormalizeKey(key);
  bool exists = false;
  std::vector<std::string> names;
  std::optional<std::size_t> section;
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    const RegistryEntry& entry = entries_[i];
    if (entry.kind == RegistryEntry::Kind::Section) {
      section = i;
      // A key exists when it has a section of its own or one of a subkey below it.
      if (entry.root == root && (EqualsIgnoreCase(entry.keyPath, wanted) || wanted.empty() ||
                                 StartsWithIgnoreCase(entry.keyPath, std::string(wanted) + "\\"))) {
        exists = true;
      }
    } else if (entry.kind == RegistryEntry::Kind::Value && section && InKey(*section, root, key)) {
      bool known = false;
      for (const auto& name : names) known = known || EqualsIgnoreCase(name, entry.name);
      if (!known) names.push_back(entry.name);
    }
  }
  if (!exists) return std::nullopt;
  return names;
}

void RegistryDocument::Set(RegistryRoot root, std::string_view key, std::string_view name,
                           const RegistryValue& value) {
  // The format has no escape for a line break in a key path or a value name: written as is, it would split
  // the line and the value would be lost without a word.
  if (key.find_first_of("\r\n") != std::string_view::npos || name.find_first_of("\r\n") != std::string_view::npos) {
    throw std::runtime_error("a registry key path or value name with a line break cannot be written");
  }
  const std::string lineEnd = LineEnd();
  const std::vector<std::size_t> lines = ValueLines(root, key, name);
  if (!lines.empty()) {
    // Later duplicates go first, so that the indices before them stay valid.
    for (std::size_t n = lines.size() - 1; n > 0; --n) {
      entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(lines[n]));
    }
    RegistryEntry& entry = entries_[lines.front()];
    const bool hadCrLf = entry.raw.ends_with("\r\n");
    const bool hadLf = entry.raw.ends_with("\n");
    entry.raw = FormatValueLine(name, value, hadCrLf ? "\r\n" : lineEnd);
    entry.raw += hadCrLf ? "\r\n" : (hadLf ? "\n" : "");
    entry.name = std::string(name);
    entry.value = value;
    return;
  }

  std::optional<std::size_t> lastSection;
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    if (entries_[i].kind == RegistryEntry::Kind::Section && InKey(i, root, key)) lastSection = i;
  }

  RegistryEntry line;
  line.kind = RegistryEntry::Kind::Value;
  line.name = std::string(name);
  line.value = value;
  line.raw = FormatValueLine(name, value, lineEnd) + lineEnd;

  auto endLine = [&](std::size_t index) {
    if (!entries_[index].raw.ends_with("\n")) entries_[index].raw += lineEnd;
  };

  if (lastSection) {
    // After the section's last non-blank line, before the blank lines that separate it from the next one.
    std::size_t insertAfter = *lastSection;
    for (std::size_t i = *lastSection + 1;
         i < entries_.size() && entries_[i].kind != RegistryEntry::Kind::Section; ++i) {
      if (!TrimLeft(WithoutLineEnd(entries_[i].raw)).empty()) insertAfter = i;
    }
    endLine(insertAfter);
    entries_.insert(entries_.begin() + static_cast<std::ptrdiff_t>(insertAfter + 1), std::move(line));
    return;
  }

  auto append = [&](std::string raw) {
    RegistryEntry entry;
    entry.raw = std::move(raw);
    entries_.push_back(std::move(entry));
  };
  if (entries_.empty()) {
    append("REGEDIT4" + lineEnd);
  } else {
    endLine(entries_.size() - 1);
  }
  if (!TrimLeft(WithoutLineEnd(entries_.back().raw)).empty()) append(lineEnd);
  const std::string keyPath(NormalizeKey(key));
  const std::string headerText =
      std::string("[").append(RegistryRootName(root)).append(keyPath.empty() ? "" : "\\" + keyPath).append("]");
  RegistryEntry header = ParseSection(headerText, headerText + lineEnd);
  entries_.push_back(std::move(header));
  entries_.push_back(std::move(line));
}

void RegistryDocument::Remove(RegistryRoot root, std::string_view key, std::string_view name) {
  const std::vector<std::size_t> lines = ValueLines(root, key, name);
  for (auto line = lines.rbegin(); line != lines.rend(); ++line) {
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(*line));
  }
}

}  // namespace maj::platform::registry_internal
