#pragma once
// A SOAP 1.1 client initialised from a service's WSDL description, calling operations by name with
// arguments given by position.
#include <chrono>
#include <string>
#include <vector>

#include "docs/http_exchange.h"
#include "docs/service_description.h"
#include "docs/streamed_result.h"

namespace maj::docs {

// How long the screen may wait for the service. Past a limit the call fails with SoapError.
struct TimeLimits {
  std::chrono::milliseconds Connect{3000};       // to open each connection
  std::chrono::milliseconds Description{5000};   // to read the WSDL description
  std::chrono::milliseconds Call{10000};         // for an operation's whole answer, such as the list
  std::chrono::milliseconds Document{120000};    // for the whole answer of a document
};

// Largest answers read whole: a description, and a list of texts.
inline constexpr std::size_t kMaxDescriptionBytes = 1024 * 1024;
inline constexpr std::size_t kMaxListBytes = 4 * 1024 * 1024;

class SoapClient {
 public:
  explicit SoapClient(TimeLimits limits = {});

  // Reads the WSDL description at `wsdlLocation` (an http or https URL) and keeps the SOAP 1.1 port of
  // the service `serviceName`. Throws SoapError when it cannot be fetched or read.
  void Initialize(const std::string& wsdlLocation, const std::string& serviceName);

  // Calls `operation` with its parameters' texts in order and returns the array of texts it answers
  // (ReadTextArray). Throws SoapError on any failure, a fault included, or an answer over kMaxListBytes.
  std::vector<std::string> CallForTexts(const std::string& operation, const std::vector<std::string>& arguments);

  // Calls `operation` and hands the bytes of its base64 result to `sink` as they arrive. Throws
  // SoapError on any failure; `sink` may then have received part of the bytes.
  void CallForBytes(const std::string& operation, const std::vector<std::string>& arguments, const ByteSink& sink);

 private:
  HttpRequest MakeRequest(const std::string& operation, const std::vector<std::string>& arguments,
                                 std::chrono::milliseconds total) const;

  TimeLimits limits_;
  ServiceDescription service_;
  bool initialized_ = false;
};

}  // namespace maj::docs
