#pragma once
// The service's SOAP 1.1 answers: reading a request, writing results and faults.
#include <map>
#include <string>
#include <vector>

namespace maj::docservice {

// A request read from its envelope: the operation (the body element's local name, which must be in the
// service's namespace) and its parameters by local name (qualified in that namespace, as the WSDL says).
struct SoapRequest {
  std::string Operation;
  std::map<std::string, std::string> Parameters;
};

// Reads `body`. Throws std::runtime_error with a fault text when it is no SOAP 1.1 request to the service.
SoapRequest ReadRequest(const std::string& body);

// The answer envelope of `operation` whose result holds `items` as an ArrayOfString.
std::string TextArrayAnswer(const std::string& operation, const std::vector<std::string>& items);

// The opening and closing of the answer envelope of `operation` whose result is a text written between them.
std::string ResultOpening(const std::string& operation);
std::string ResultClosing(const std::string& operation);

// A fault envelope ("soap:Client" for a bad request, "soap:Server" for a failure of the service).
std::string FaultAnswer(const std::string& code, const std::string& text);

}  // namespace maj::docservice
