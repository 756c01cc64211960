#include "tools/doc-service/soap_answers.h"

#include <pugixml.hpp>

#include <stdexcept>

#include "tools/doc-service/xml_names.h"
#include "tools/doc-service/service_wsdl.h"

namespace maj::docservice {
namespace {

constexpr char kEnvelopeOpening[] =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?><soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\" "
    "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\"><soap:Body>";
constexpr char kEnvelopeClosing[] = "</soap:Body></soap:Envelope>";

struct StringWriter : pugi::xml_writer {
  std::string text;
  void write(const void* data, size_t size) override { text.append(static_cast<const char*>(data), size); }
};

std::string Serialize(const pugi::xml_node& node) {
  StringWriter writer;
  node.print(writer, "", pugi::format_raw);
  return writer.text;
}

std::string ResponseOpening(const std::string& operation) {
  return kEnvelopeOpening + ("<" + operation + "Response xmlns=\"" + kServiceNamespace + "\">");
}

std::string ResponseClosing(const std::string& operation) {
  return "</" + operation + "Response>" + kEnvelopeClosing;
}

}  // namespace

SoapRequest ReadRequest(const std::string& body) {
  pugi::xml_document document;
  if (!document.load_buffer(body.data(), body.size())) throw std::runtime_error("The request is not XML.");
  pugi::xml_node envelope = document.document_element();
  pugi::xml_node request = FirstChildElement(ChildElement(envelope, kEnvelopeNamespace, "Body"));
  if (!IsElement(envelope, kEnvelopeNamespace, "Envelope") || !request)
    throw std::runtime_error("The request is not a SOAP 1.1 envelope with a body.");
  if (NamespaceOf(request) != kServiceNamespace)
    throw std::runtime_error("The request element is not in the namespace " + std::string(kServiceNamespace) + ".");
  SoapRequest read{std::string(LocalName(request.name())), {}};
  for (pugi::xml_node parameter : request.children())
    if (parameter.type() == pugi::node_element && NamespaceOf(parameter) == kServiceNamespace)
      read.Parameters[std::string(LocalName(parameter.name()))] = parameter.text().get();
  return read;
}

std::string TextArrayAnswer(const std::string& operation, const std::vector<std::string>& items) {
  pugi::xml_document document;
  pugi::xml_node result = document.append_child((operation + "Result").c_str());
  for (const std::string& item : items) result.append_child("string").text() = item.c_str();
  return ResponseOpening(operation) + Serialize(result) + ResponseClosing(operation);
}

std::string ResultOpening(const std::string& operation) {
  return ResponseOpening(operation) + "<" + operation + "Result>";
}

std::string ResultClosing(const std::string& operation) {
  return "</" + operation + "Result>" + ResponseClosing(operation);
}

std::string FaultAnswer(const std::string& code, const std::string& text) {
  pugi::xml_document document;
  pugi::xml_node fault = document.append_child("soap:Fault");
  fault.append_child("faultcode").text() = code.c_str();
  fault.append_child("faultstring").text() = text.c_str();
  return kEnvelopeOpening + Serialize(fault) + kEnvelopeClosing;
}

}  // namespace maj::docservice
