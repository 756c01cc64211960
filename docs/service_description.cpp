#include "docs/service_description.h"

#include <pugixml.hpp>

#include "docs/soap_error.h"
#include "docs/xml_names.h"

namespace maj::docs {
namespace {

// A qualified name read from an attribute, resolved where the attribute stands.
struct QName {
  std::string ns;
  std::string local;
};

QName ResolveQName(pugi::xml_node where, const char* attribute) {
  const std::string_view text = where.attribute(attribute).value();
  return {NamespaceOfPrefix(where, Prefix(text)), std::string(LocalName(text))};
}

pugi::xml_node NamedChild(pugi::xml_node parent, const char* ns, const char* kind, std::string_view name) {
  for (pugi::xml_node child : parent.children())
    if (IsElement(child, ns, kind) && child.attribute("name").value() == name) return child;
  return {};
}

// Every schema of the description's types whose target namespace is `ns`.
std::vector<pugi::xml_node> SchemasOf(pugi::xml_node definitions, const std::string& ns) {
  std::vector<pugi::xml_node> schemas;
  for (pugi::xml_node types : definitions.children())
    if (IsElement(types, kWsdlNamespace, "types"))
      for (pugi::xml_node schema : types.children())
        if (IsElement(schema, kSchemaNamespace, "schema") && schema.attribute("targetNamespace").value() == ns)
          schemas.push_back(schema);
  return schemas;
}

// The top-level schema declaration of kind `kind` ("element", "complexType") named `name`.
pugi::xml_node FindDeclaration(pugi::xml_node definitions, const QName& name, const char* kind) {
  for (pugi::xml_node schema : SchemasOf(definitions, name.ns))
    if (pugi::xml_node found = NamedChild(schema, kSchemaNamespace, kind, name.local)) return found;
  return {};
}

pugi::xml_node OwningSchema(pugi::xml_node node) {
  for (pugi::xml_node n = node.parent(); n; n = n.parent())
    if (IsElement(n, kSchemaNamespace, "schema")) return n;
  return {};
}

// Fills the parameters of a document-style request from the element declaration `element`.
void ReadWrapperElement(pugi::xml_node definitions, pugi::xml_node element, OperationDescription& op) {
  pugi::xml_node type = ChildElement(element, kSchemaNamespace, "complexType");
  if (!type && element.attribute("type")) type = FindDeclaration(definitions, ResolveQName(element, "type"), "complexType");
  if (!type) {
    op.Problem = "the request element " + op.RequestElement + " has no complex type in the description";
    return;
  }
  pugi::xml_node group = ChildElement(type, kSchemaNamespace, "sequence");
  if (!group) group = ChildElement(type, kSchemaNamespace, "all");
  const bool qualifiedByDefault =
      std::string_view(OwningSchema(element).attribute("elementFormDefault").value()) == "qualified";
  for (pugi::xml_node parameter : group.children()) {
    if (!IsElement(parameter, kSchemaNamespace, "element")) continue;
    if (parameter.attribute("ref")) {
      op.Parameters.push_back(ResolveQName(parameter, "ref").local);
      op.QualifiedParameters = true;
      continue;
    }
    op.Parameters.emplace_back(parameter.attribute("name").value());
    const std::string_view form = parameter.attribute("form").value();
    op.QualifiedParameters = form.empty() ? qualifiedByDefault : form == "qualified";
  }
}

OperationDescription ReadOperation(pugi::xml_node definitions, pugi::xml_node bindingOperation,
                                   pugi::xml_node portType, const std::string& bindingStyle,
                                   const std::string& targetNamespace) {
  OperationDescription op;
  const std::string name = bindingOperation.attribute("name").value();
  pugi::xml_node soapOperation = ChildElement(bindingOperation, kWsdlSoap11Namespace, "operation");
  op.SoapAction = soapOperation.attribute("soapAction").value();
  std::string style = soapOperation.attribute("style").value();
  if (style.empty()) style = bindingStyle;

  pugi::xml_node abstract = NamedChild(portType, kWsdlNamespace, "operation", name);
  pugi::xml_node input = ChildElement(abstract, kWsdlNamespace, "input");
  pugi::xml_node message = NamedChild(definitions, kWsdlNamespace, "message",
                                      ResolveQName(input, "message").local);
  if (!message) {
    op.Problem = "the description has no input message for " + name;
    return op;
  }
  if (style == "rpc") {
    pugi::xml_node body = ChildElement(ChildElement(bindingOperation, kWsdlNamespace, "input"),
                                       kWsdlSoap11Namespace, "body");
    op.RequestElement = name;
    op.RequestNamespace = body.attribute("namespace") ? body.attribute("namespace").value() : targetNamespace;
    for (pugi::xml_node part : message.children())
      if (IsElement(part, kWsdlNamespace, "part")) op.Parameters.emplace_back(part.attribute("name").value());
    return op;
  }
  pugi::xml_node part = ChildElement(message, kWsdlNamespace, "part");
  if (!part.attribute("element")) {
    op.Problem = "the input message of " + name + " names no element";
    return op;
  }
  const QName element = ResolveQName(part, "element");
  op.RequestElement = element.local;
  op.RequestNamespace = element.ns;
  pugi::xml_node declaration = FindDeclaration(definitions, element, "element");
  if (!declaration) {
    op.Problem = "the description does not declare the element " + element.local;
    return op;
  }
  ReadWrapperElement(definitions, declaration, op);
  return op;
}

}  // namespace

const OperationDescription& ServiceDescription::Operation(const std::string& name) const {
  const auto found = Operations.find(name);
  if (found == Operations.end()) throw SoapError("the service has no operation " + name);
  if (!found->second.Problem.empty()) throw SoapError("cannot call " + name + ": " + found->second.Problem);
  return found->second;
}

ServiceDescription ReadServiceDescription(std::string_view wsdl, const std::string& serviceName) {
  pugi::xml_document document;
  if (!document.load_buffer(wsdl.data(), wsdl.size()))
    throw SoapError("the service description is not an XML document");
  pugi::xml_node definitions = document.document_element();
  if (!IsElement(definitions, kWsdlNamespace, "definitions"))
    throw SoapError("the service description is not a WSDL 1.1 document");

  ServiceDescription description;
  description.TargetNamespace = definitions.attribute("targetNamespace").value();
  pugi::xml_node service = NamedChild(definitions, kWsdlNamespace, "service", serviceName);
  if (!service) throw SoapError("the service description has no service " + serviceName);
  pugi::xml_node binding;
  for (pugi::xml_node port : service.children()) {
    pugi::xml_node address = ChildElement(port, kWsdlSoap11Namespace, "address");
    if (!IsElement(port, kWsdlNamespace, "port") || !address) continue;
    binding = NamedChild(definitions, kWsdlNamespace, "binding", ResolveQName(port, "binding").local);
    if (!binding) continue;
    description.Address = address.attribute("location").value();
    break;
  }
  if (!binding || description.Address.empty())
    throw SoapError("the service " + serviceName + " has no SOAP 1.1 port in its description");

  pugi::xml_node portType =
      NamedChild(definitions, kWsdlNamespace, "portType", ResolveQName(binding, "type").local);
  std::string style = ChildElement(binding, kWsdlSoap11Namespace, "binding").attribute("style").value();
  if (style.empty()) style = "document";
  for (pugi::xml_node operation : binding.children())
    if (IsElement(operation, kWsdlNamespace, "operation"))
      description.Operations[operation.attribute("name").value()] =
          ReadOperation(definitions, operation, portType, style, description.TargetNamespace);
  return description;
}

}  // namespace maj::docs
