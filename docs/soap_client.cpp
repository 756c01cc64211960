#include "docs/soap_client.h"

#include "docs/http_exchange.h"
#include "docs/shown_text.h"
#include "docs/soap_envelope.h"
#include "docs/soap_error.h"

namespace maj::docs {

ServiceDescription FetchServiceDescription(const std::string& wsdlLocation, const std::string& serviceName,
                                           const TimeLimits& limits, const CallControl& control) {
  HttpRequest request{wsdlLocation, {}, {}, limits.Connect, limits.Description, control.Cancel, {}};
  const HttpResponse response = FetchHttp(request, kMaxDescriptionBytes, "une description de service");
  if (response.Status != 200)
    throw SoapError("la description du service à " + ShownText(wsdlLocation) + " a répondu par le statut HTTP " +
                    std::to_string(response.Status));
  return ReadServiceDescription(response.Body, serviceName);
}

SoapClient::SoapClient(std::shared_ptr<const ServiceDescription> service, TimeLimits limits, CallControl control)
    : service_(std::move(service)), limits_(limits), control_(std::move(control)) {}

HttpRequest SoapClient::MakeRequest(const std::string& operation, const std::vector<std::string>& arguments,
                                    std::chrono::milliseconds total) const {
  const OperationDescription& description = service_->Operation(operation);
  return HttpRequest{service_->Address,
                     {"Content-Type: text/xml; charset=utf-8", "SOAPAction: \"" + description.SoapAction + "\""},
                     BuildRequest(operation, description, arguments),
                     limits_.Connect,
                     total,
                     control_.Cancel,
                     control_.Progress};
}

std::vector<std::string> SoapClient::CallForTexts(const std::string& operation,
                                                  const std::vector<std::string>& arguments) const {
  const HttpResponse response =
      FetchHttp(MakeRequest(operation, arguments, limits_.Call), kMaxListBytes, "la réponse de " + operation);
  return ReadTextArray(response.Status, response.Body);
}

void SoapClient::CallForBytes(const std::string& operation, const std::vector<std::string>& arguments,
                              const ByteSink& sink) const {
  StreamedResult result(sink);
  const long status = PerformHttp(MakeRequest(operation, arguments, limits_.Document),
                                  [&](long status, std::string_view piece) { result.Feed(status, piece); });
  result.Finish(status);
}

}  // namespace maj::docs
