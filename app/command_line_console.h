#pragma once
// What `maj` started with options prints, and the connection it opens, shared by its actions.
#include <string>

namespace maj::app {

// Writes `text` as one line on standard output, after the local time ("2026-12-06 19:51:55 "), at once.
void PrintStatusLine(const std::string& text);

// The same on standard error.
void PrintErrorLine(const std::string& text);

// Opens the shared connection on the data source of the settings file (located beforehand), as the screen
// does. On failure prints the driver's description on standard error and returns false.
bool ConnectForCommandLine();

// Closes the shared connection when it goes out of scope.
class ConnectionCloser {
 public:
  ConnectionCloser() = default;
  ~ConnectionCloser();
  ConnectionCloser(const ConnectionCloser&) = delete;
  ConnectionCloser& operator=(const ConnectionCloser&) = delete;
};

}  // namespace maj::app
