#include "docs/soap_envelope.h"

#include <pugixml.hpp>

#include "docs/soap_error.h"
#include "docs/xml_names.h"

namespace maj::docs {
namespace {

struct StringWriter : pugi::xml_writer {
  std::string text;
  void write(const void* data, size_t size) override { text.append(static_cast<const char*>(data), size); }
};

// The response element of a parsed answer (the body's first child), after CheckAnswer's tests.
pugi::xml_node ResponseElement(const pugi::xml_document& document, long status) {
  pugi::xml_node envelope = document.document_element();
  pugi::xml_node body = ChildElement(envelope, kEnvelopeNamespace, "Body");
  if (!IsElement(envelope, kEnvelopeNamespace, "Envelope") || !body) {
    if (status != 200) throw SoapError("the service answered with HTTP status " + std::to_string(status));
    throw SoapError("the service's answer is not a SOAP 1.1 envelope");
  }
  pugi::xml_node response = FirstChildElement(body);
  if (IsElement(response, kEnvelopeNamespace, "Fault")) {
    const std::string text = response.child("faultstring").text().get();
    const std::string code = response.child("faultcode").text().get();
    throw SoapError("the service answered with a fault: " + (text.empty() ? std::string("(no text)") : text) +
                    (code.empty() ? "" : " (" + code + ")"));
  }
  if (status != 200) throw SoapError("the service answered with HTTP status " + std::to_string(status));
  if (!response) throw SoapError("the service's answer holds no response element");
  return response;
}

pugi::xml_node ParseResponse(pugi::xml_document& document, long status, std::string_view body) {
  if (!document.load_buffer(body.data(), body.size())) {
    if (status != 200) throw SoapError("the service answered with HTTP status " + std::to_string(status));
    throw SoapError("the service's answer is not XML");
  }
  return ResponseElement(document, status);
}

bool IsNil(pugi::xml_node node) {
  for (pugi::xml_attribute a : node.attributes())
    if (LocalName(a.name()) == "nil" && (std::string_view(a.value()) == "true" || std::string_view(a.value()) == "1"))
      return true;
  return false;
}

size_t CountChildElements(pugi::xml_node node) {
  size_t count = 0;
  for (pugi::xml_node child : node.children()) count += child.type() == pugi::node_element;
  return count;
}

}  // namespace

std::string BuildRequest(const std::string& operationName, const OperationDescription& operation,
                         const std::vector<std::string>& arguments) {
  if (arguments.size() != operation.Parameters.size())
    throw SoapError(operationName + " takes " + std::to_string(operation.Parameters.size()) + " parameters, not " +
                    std::to_string(arguments.size()));
  pugi::xml_document document;
  pugi::xml_node envelope = document.append_child("soap:Envelope");
  envelope.append_attribute("xmlns:soap") = kEnvelopeNamespace;
  pugi::xml_node request = envelope.append_child("soap:Body").append_child(("m:" + operation.RequestElement).c_str());
  request.append_attribute("xmlns:m") = operation.RequestNamespace.c_str();
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string name = (operation.QualifiedParameters ? "m:" : "") + operation.Parameters[i];
    request.append_child(name.c_str()).text() = arguments[i].c_str();
  }
  StringWriter writer;
  document.save(writer, "", pugi::format_raw, pugi::encoding_utf8);
  return writer.text;
}

void CheckAnswer(long status, std::string_view body) {
  pugi::xml_document document;
  ParseResponse(document, status, body);
}

std::vector<std::string> ReadTextArray(long status, std::string_view body) {
  pugi::xml_document document;
  pugi::xml_node response = ParseResponse(document, status, body);
  // Wrapped (the usual shape): one result element holding the items, or holding nothing when the list is
  // empty. A leaf holding text is an item given directly.
  pugi::xml_node first = FirstChildElement(response);
  pugi::xml_node array = response;
  if (CountChildElements(response) == 1 && (CountChildElements(first) > 0 || !*first.text().get())) array = first;
  std::vector<std::string> texts;
  if (IsNil(array)) return texts;
  for (pugi::xml_node item : array.children())
    if (item.type() == pugi::node_element) texts.emplace_back(item.text().get());
  return texts;
}

}  // namespace maj::docs
