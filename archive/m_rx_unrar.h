#pragma once
// MRxUnrar: the one callback given to the RAR library for every CRxUnrar, and its two conversions.
#include <cstdint>
#include <string>

namespace maj::archive {
class CRxUnrar;
}

namespace maj::archive::MRxUnrar {

// The library callback. `userData` is the CRxUnrar running the operation. Change of volume (message 0):
// asks for a missing volume (p2 = 0; the new name is written over the NUL-terminated name at p1, -1 when
// the listener gives none) or announces the next one (p2 = 1; -1 unless the listener answers true).
// Processed data (1): p2 bytes; returns 1. Password needed (2): writes the password into the buffer at p1
// of p2 bytes; returns 0. Any other message: 0.
int RarCallback(unsigned int msg, std::intptr_t userData, std::intptr_t p1, std::intptr_t p2);

// The object behind the callback's user data.
CRxUnrar& ObjectFromUserData(std::intptr_t userData);

// The text of a NUL-terminated narrow string of at most `capacity` bytes (empty for a null pointer).
std::string TextFromNarrowString(const char* text, std::size_t capacity);

}  // namespace maj::archive::MRxUnrar
