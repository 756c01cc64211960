#pragma once
// Names of language identifiers, as VerLanguageName gives them on an English Windows.
#include <cstdint>
#include <string>

namespace maj::sysinfo {

// The English name of the language identifier `languageId` ("English (United States)" for 0x0409,
// "French (France)" for 0x040C, "Language Neutral" for 0). Empty text when the identifier is not in the
// built-in table of common languages, as a failed lookup gives.
std::string VerLanguageName(std::uint16_t languageId);

}  // namespace maj::sysinfo
