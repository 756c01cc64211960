#pragma once
// What the client needs from a service's WSDL 1.1 description to call its operations over SOAP 1.1.
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace maj::docs {

// How to call one operation. Every text here has been checked: names are XML names and the SOAPAction is
// printable text without quotes, so that none can change the shape of a request.
struct OperationDescription {
  std::string SoapAction;             // the SOAPAction header's value (may be empty)
  std::string RequestElement;         // local name of the request's element in the SOAP body
  std::string RequestNamespace;       // its namespace
  std::vector<std::string> Parameters;  // the request's child element names, in order
  bool QualifiedParameters = false;   // the children are in RequestNamespace (else in no namespace)
  std::string Problem;                // why the operation cannot be called, when the description falls short
};

// The SOAP 1.1 port of one service.
struct ServiceDescription {
  std::string TargetNamespace;
  std::string Address;  // where requests are posted
  std::map<std::string, OperationDescription> Operations;

  // The operation named `name`. Throws SoapError when the description lacks it or falls short for it.
  const OperationDescription& Operation(const std::string& name) const;
};

// Reads a WSDL 1.1 document in one pass, in time proportional to its length: the service named
// `serviceName`, its first port with a SOAP 1.1 address and a known binding, the binding's operations and,
// for each, the request described by the binding's style: document style takes the element of the input
// message's first part and the elements of its type's sequence, qualified as the schema says; rpc style
// takes the operation's name and the message's part names. Where a name is declared twice the first counts.
// An operation whose texts would not make a sound request gets a Problem. Throws SoapError when the text
// is not a WSDL document or has no such service or port.
ServiceDescription ReadServiceDescription(std::string_view wsdl, const std::string& serviceName);

}  // namespace maj::docs
