#pragma once
// Texts from a service as an error message shows them: short, and unable to break the message or a terminal.
#include <cstddef>
#include <string>
#include <string_view>

namespace maj::docs {

// Longest part of an outside text that a message shows.
inline constexpr std::size_t kMaxShownText = 300;

// The first `maxBytes` bytes of `text` (cut before a partial UTF-8 character, "…" added when cut), with
// control characters written as escapes: C0 and DEL as "\xNN", C1 (U+0080 to U+009F) as "\u00NN".
std::string ShownText(std::string_view text, std::size_t maxBytes = kMaxShownText);

}  // namespace maj::docs
