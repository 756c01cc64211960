// Feeds arbitrary bytes to the WSDL description reader. Every operation it accepts must build a request
// that reads back as the envelope it describes, with a SOAPAction that cannot end the header line: a
// description whose texts would reshape a request aborts.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "docs/service_description.h"
#include "docs/soap_envelope.h"
#include "docs/soap_error.h"
#include "docs/xml_reader.h"

namespace {

using namespace maj::docs;

// The names of the request element and of its children, as a reader sees the request.
struct RequestShape : XmlHandler {
  int depth = 0;
  std::string element;
  std::vector<std::string> children;
  void StartElement(const XmlElement& e) override {
    ++depth;
    if (depth == 3) element = std::string(e.LocalName);
    if (depth == 4) children.emplace_back(e.LocalName);
  }
  void EndElement() override { --depth; }
  void Text(std::string_view) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ServiceDescription description;
  try {
    description = ReadServiceDescription(std::string_view(reinterpret_cast<const char*>(data), size),
                                         "WsServiceDocumentation");
  } catch (const SoapError&) {
    return 0;
  }
  for (const auto& [name, operation] : description.Operations) {
    if (!operation.Problem.empty()) continue;
    if (operation.SoapAction.find_first_of("\r\n\"") != std::string::npos) std::abort();
    const std::vector<std::string> arguments(operation.Parameters.size(), "a<&>\"'\t\n\r]]>é");
    RequestShape shape;
    ReadXml(BuildRequest(name, operation, arguments), shape);  // throws, and so aborts, when not XML
    if (shape.element != operation.RequestElement || shape.children != operation.Parameters) std::abort();
  }
  return 0;
}
