#include "docs/shown_text.h"

#include <cstdio>

#include "platform/file_names.h"

namespace maj::docs {

std::string ShownText(std::string_view text, std::size_t maxBytes) {
  const bool cut = text.size() > maxBytes;
  if (cut) {
    size_t end = maxBytes;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;  // a continuation byte
    text = text.substr(0, end);
  }
  std::string unescaped;
  for (size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
    if (byte == 0xC2 && next >= 0x80 && next <= 0x9F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04X", next);
      unescaped += escaped;
      ++i;
    } else {
      unescaped += text[i];
    }
  }
  std::string shown = platform::ShownName(unescaped);
  if (cut) shown += "…";
  return shown;
}

}  // namespace maj::docs
