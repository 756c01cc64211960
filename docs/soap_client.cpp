#include "docs/soap_client.h"

#include "docs/http_exchange.h"
#include "docs/soap_envelope.h"
#include "docs/soap_error.h"

namespace maj::docs {

SoapClient::SoapClient(TimeLimits limits) : limits_(limits) {}

void SoapClient::Initialize(const std::string& wsdlLocation, const std::string& serviceName) {
  HttpRequest request{wsdlLocation, {}, {}, limits_.Connect, limits_.Description};
  const HttpResponse response = FetchHttp(request, kMaxDescriptionBytes, "a service description");
  if (response.Status != 200)
    throw SoapError("the service description at " + wsdlLocation + " answered with HTTP status " +
                    std::to_string(response.Status));
  service_ = ReadServiceDescription(response.Body, serviceName);
  initialized_ = true;
}

HttpRequest SoapClient::MakeRequest(const std::string& operation, const std::vector<std::string>& arguments,
                                    std::chrono::milliseconds total) const {
  if (!initialized_) throw SoapError("the SOAP client is not initialised");
  const OperationDescription& description = service_.Operation(operation);
  return HttpRequest{service_.Address,
                     {"Content-Type: text/xml; charset=utf-8", "SOAPAction: \"" + description.SoapAction + "\""},
                     BuildRequest(operation, description, arguments),
                     limits_.Connect,
                     total};
}

std::vector<std::string> SoapClient::CallForTexts(const std::string& operation,
                                                  const std::vector<std::string>& arguments) {
  const HttpResponse response = FetchHttp(MakeRequest(operation, arguments, limits_.Call), kMaxListBytes,
                                          "the answer of " + operation);
  return ReadTextArray(response.Status, response.Body);
}

void SoapClient::CallForBytes(const std::string& operation, const std::vector<std::string>& arguments,
                              const ByteSink& sink) {
  StreamedResult result(sink);
  const long status = PerformHttp(MakeRequest(operation, arguments, limits_.Document),
                                  [&](long status, std::string_view piece) { result.Feed(status, piece); });
  result.Finish(status);
}

}  // namespace maj::docs
