#pragma once
// File names that come from outside (table rows, archives) and how they are shown in messages.
#include <string>
#include <string_view>

namespace maj::platform {

// True when `name` names a file without any folder, on Linux as on Windows: not empty, not "." or "..", and
// without "/", "\", ":" (a drive) or NUL. Any other name could lead outside the folder it is joined to.
bool IsPlainFileName(std::string_view name);

// `name` as a message shows it: control characters (bytes below 0x20 and 0x7F, NUL included) written as
// "\xNN", so that a hostile name can neither cut nor break the text; everything else unchanged.
std::string ShownName(std::string_view name);

}  // namespace maj::platform
