#pragma once
// What `maj` started with options prints.
#include <string>

namespace maj::app {

// Writes `text` as one line on standard output, after the local time ("2026-12-06 19:51:55 "), at once.
void PrintStatusLine(const std::string& text);

// The same on standard error.
void PrintErrorLine(const std::string& text);

}  // namespace maj::app
