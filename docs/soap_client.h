#pragma once
// A SOAP 1.1 client for a service described by its WSDL, calling operations by name with arguments given
// by position.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
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

// What a caller on another thread keeps of a call under way: a flag that ends it, and its progress.
struct CallControl {
  const std::atomic<bool>* Cancel = nullptr;
  std::function<void(std::uint64_t received, std::uint64_t expected)> Progress;
};

// Largest answers read whole: a description, and a list of texts.
inline constexpr std::size_t kMaxDescriptionBytes = 1024 * 1024;
inline constexpr std::size_t kMaxListBytes = 4 * 1024 * 1024;

// Fetches the WSDL description at `wsdlLocation` (an http or https URL) and reads the SOAP 1.1 port of the
// service `serviceName`. Throws SoapError when it cannot be fetched or read.
ServiceDescription FetchServiceDescription(const std::string& wsdlLocation, const std::string& serviceName,
                                           const TimeLimits& limits, const CallControl& control = {});

class SoapClient {
 public:
  SoapClient(std::shared_ptr<const ServiceDescription> service, TimeLimits limits, CallControl control = {});

  // Calls `operation` with its parameters' texts in order and returns the array of texts it answers
  // (ReadTextArray). Throws SoapError on any failure, a fault included, or an answer over kMaxListBytes.
  std::vector<std::string> CallForTexts(const std::string& operation, const std::vector<std::string>& arguments) const;

  // Calls `operation` and hands the bytes of its base64 result to `sink` as they arrive (StreamedResult).
  // Throws SoapError on any failure; `sink` may then have received part of the bytes.
  void CallForBytes(const std::string& operation, const std::vector<std::string>& arguments,
                    const ByteSink& sink) const;

 private:
  HttpRequest MakeRequest(const std::string& operation, const std::vector<std::string>& arguments,
                          std::chrono::milliseconds total) const;

  std::shared_ptr<const ServiceDescription> service_;
  TimeLimits limits_;
  CallControl control_;
};

}  // namespace maj::docs
