#pragma once
// What the client needs from a service's WSDL 1.1 description to call its operations over SOAP 1.1.
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace maj::docs {

// How to call one operation.
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

// Reads a WSDL 1.1 document: the service named `serviceName`, its port with a SOAP 1.1 address, the
// port's binding and, for each operation, the request described by the binding's style: document style
// takes the element of the input message's part and the ordered elements of its sequence, qualified as the
// schema says; rpc style takes the operation's name and the message's part names. Throws SoapError when
// the text is not a WSDL document or has no such service or port.
ServiceDescription ReadServiceDescription(std::string_view wsdl, const std::string& serviceName);

}  // namespace maj::docs
