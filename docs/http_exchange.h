#pragma once
// One HTTP exchange over libcurl, bounded in time, its response body handed over piece by piece.
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace maj::docs {

// What to send. A request with a body is a POST, one without a GET.
struct HttpRequest {
  std::string Url;
  std::vector<std::string> Headers;  // "Name: value" lines
  std::string Body;
  std::chrono::milliseconds ConnectTimeout{5000};
  std::chrono::milliseconds TotalTimeout{15000};  // the whole exchange, connection included
  // Set from another thread to end the exchange within about a second.
  const std::atomic<bool>* Cancel = nullptr;
  // Told, now and then, how many body bytes arrived and how many are announced (0 when unknown).
  std::function<void(std::uint64_t received, std::uint64_t expected)> Progress;
};

// Receives each piece of the response body as it arrives, with the HTTP status already known.
using HttpBodySink = std::function<void(long status, std::string_view piece)>;

// Performs `request`, giving each body piece to `sink`, and returns the HTTP status. Proxies are not used
// for the local machine, redirects are not followed. Throws SoapError naming the URL when the exchange
// cannot be completed (no connection, time limit reached, connection lost, cancelled); an exception thrown
// by `sink` ends the exchange and reaches the caller unchanged.
long PerformHttp(const HttpRequest& request, const HttpBodySink& sink);

// The status and the whole body of a response no larger than `maxBody` bytes.
struct HttpResponse {
  long Status = 0;
  std::string Body;
};

// Performs `request` and collects the body. Throws SoapError as PerformHttp does, and when the body grows
// past `maxBody` bytes (`what` names the expected content in that message).
HttpResponse FetchHttp(const HttpRequest& request, std::size_t maxBody, const std::string& what);

}  // namespace maj::docs
