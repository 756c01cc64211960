#pragma once
// The WSDL description served by the documentation service, in the shape an ASP.NET web service gives:
// document/literal wrapped, qualified elements, SOAPAction "namespace/Operation", an ArrayOfString result.
#include <string>

namespace maj::docservice {

inline constexpr char kServiceNamespace[] = "http://tempuri.org/";
inline constexpr char kServicePath[] = "/MAJProscenia/WsServiceDocumentation.asmx";

// The description, its SOAP 1.1 port posting to `address`.
std::string ServiceWsdl(const std::string& address);

}  // namespace maj::docservice
