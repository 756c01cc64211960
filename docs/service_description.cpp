#include "docs/service_description.h"

#include <optional>
#include <utility>

#include "docs/shown_text.h"
#include "docs/soap_error.h"
#include "docs/xml_reader.h"

namespace maj::docs {
namespace {

using DeclarationKey = std::pair<std::string, std::string>;  // target namespace, name

struct Parameter {
  std::string name;
  bool qualified = false;
};

// The elements of a complex type's sequence (or all).
struct Sequence {
  bool found = false;
  std::vector<Parameter> parameters;
};

struct ElementDeclaration {
  std::string typeText;  // the type attribute as written, resolved below
  std::optional<QualifiedName> type;
  bool inlineType = false;
  Sequence sequence;  // of the inline type
};

struct Part {
  std::string name;
  std::string elementText;
  std::optional<QualifiedName> element;
};

struct BindingOperation {
  std::string name;
  std::string soapAction;
  std::string style;
  std::optional<std::string> bodyNamespace;
};

struct Binding {
  std::string type;  // local name of the port type
  bool soap11 = false;
  std::string style;
  std::vector<BindingOperation> operations;
};

struct Port {
  std::string binding;  // local name of the binding
  std::optional<std::string> address;
};

// The parts of the description the client uses, indexed by name as they are read. Messages, port types,
// bindings and services are named in the description's own target namespace: their local names are keys.
struct DescriptionIndex {
  bool wsdl = false;
  std::string targetNamespace;
  std::map<std::string, std::vector<Part>> messages;
  std::map<std::string, std::map<std::string, std::string>> portTypes;  // operation → input message's local name
  std::map<std::string, Binding> bindings;
  std::map<std::string, std::vector<Port>> services;
  std::map<DeclarationKey, ElementDeclaration> elements;
  std::map<DeclarationKey, Sequence> complexTypes;
};

std::string LocalPart(std::string_view qualifiedName) {
  const size_t colon = qualifiedName.find(':');
  return std::string(colon == std::string_view::npos ? qualifiedName : qualifiedName.substr(colon + 1));
}

std::string AttributeText(const XmlElement& element, std::string_view name) {
  return std::string(element.Attribute(name).value_or(""));
}

// Fills a DescriptionIndex from the reader's events. Each element is looked at once, where it stands.
class DescriptionCollector : public XmlHandler {
 public:
  explicit DescriptionCollector(DescriptionIndex& index) : index_(index) {}

  void StartElement(const XmlElement& e) override {
    Frame frame;
    switch (stack_.empty() ? Kind::Document : stack_.back().kind) {
      case Kind::Document:
        if (e.Is(kWsdlNamespace, "definitions")) {
          index_.wsdl = true;
          index_.targetNamespace = AttributeText(e, "targetNamespace");
          frame.kind = Kind::Definitions;
        }
        break;
      case Kind::Definitions: StartTopLevel(e, frame); break;
      case Kind::Types:
        if (e.Is(kSchemaNamespace, "schema")) {
          frame.kind = Kind::Schema;
          schemaNamespace_ = AttributeText(e, "targetNamespace");
          qualifiedByDefault_ = e.Attribute("elementFormDefault") == "qualified";
        }
        break;
      case Kind::Schema: StartDeclaration(e, frame); break;
      case Kind::TopElement:
        if (e.Is(kSchemaNamespace, "complexType") && !stack_.back().element->inlineType) {
          stack_.back().element->inlineType = true;
          frame = {Kind::ComplexType, nullptr, &stack_.back().element->sequence};
        }
        break;
      case Kind::ComplexType:
        if ((e.Is(kSchemaNamespace, "sequence") || e.Is(kSchemaNamespace, "all")) && !stack_.back().sequence->found) {
          stack_.back().sequence->found = true;
          frame = {Kind::Group, nullptr, stack_.back().sequence};
        }
        break;
      case Kind::Group:
        if (e.Is(kSchemaNamespace, "element")) AddParameter(e, *stack_.back().sequence);
        break;
      case Kind::Message:
        if (e.Is(kWsdlNamespace, "part")) {
          const std::string element = AttributeText(e, "element");
          stack_.back().parts->push_back({AttributeText(e, "name"), element, e.Resolve(element)});
        }
        break;
      case Kind::PortType:
        if (e.Is(kWsdlNamespace, "operation")) {
          const auto [entry, added] = stack_.back().portType->try_emplace(AttributeText(e, "name"));
          if (added) frame = {Kind::AbstractOperation, nullptr, nullptr, &entry->second};
        }
        break;
      case Kind::AbstractOperation:
        if (e.Is(kWsdlNamespace, "input") && stack_.back().inputMessage->empty())
          *stack_.back().inputMessage = LocalPart(AttributeText(e, "message"));
        break;
      case Kind::Binding: StartBindingChild(e, frame); break;
      case Kind::BindingOperation:
        if (e.Is(kWsdlSoap11Namespace, "operation")) {
          stack_.back().operation->soapAction = AttributeText(e, "soapAction");
          stack_.back().operation->style = AttributeText(e, "style");
        } else if (e.Is(kWsdlNamespace, "input")) {
          frame = stack_.back();
          frame.kind = Kind::BindingInput;
        }
        break;
      case Kind::BindingInput:
        if (e.Is(kWsdlSoap11Namespace, "body") && e.Attribute("namespace"))
          stack_.back().operation->bodyNamespace = std::string(*e.Attribute("namespace"));
        break;
      case Kind::Service:
        if (e.Is(kWsdlNamespace, "port")) {
          stack_.back().ports->push_back({LocalPart(AttributeText(e, "binding")), std::nullopt});
          frame.kind = Kind::Port;
          frame.ports = stack_.back().ports;
        }
        break;
      case Kind::Port:
        if (e.Is(kWsdlSoap11Namespace, "address") && !stack_.back().ports->back().address)
          stack_.back().ports->back().address = AttributeText(e, "location");
        break;
      case Kind::Other: break;
    }
    stack_.push_back(frame);
  }

  void EndElement() override { stack_.pop_back(); }
  void Text(std::string_view) override {}

 private:
  enum class Kind {
    Document, Other, Definitions, Types, Schema, TopElement, ComplexType, Group, Message, PortType,
    AbstractOperation, Binding, BindingOperation, BindingInput, Service, Port
  };
  // Where the reader stands, and what the children of that element fill.
  struct Frame {
    Kind kind = Kind::Other;
    ElementDeclaration* element = nullptr;
    Sequence* sequence = nullptr;
    std::string* inputMessage = nullptr;
    std::vector<Part>* parts = nullptr;
    std::map<std::string, std::string>* portType = nullptr;
    Binding* binding = nullptr;
    BindingOperation* operation = nullptr;
    std::vector<Port>* ports = nullptr;
  };

  void StartTopLevel(const XmlElement& e, Frame& frame) {
    const std::string name = AttributeText(e, "name");
    if (e.Is(kWsdlNamespace, "types")) {
      frame.kind = Kind::Types;
    } else if (e.Is(kWsdlNamespace, "message")) {
      const auto [entry, added] = index_.messages.try_emplace(name);
      if (added) frame = {.kind = Kind::Message, .parts = &entry->second};
    } else if (e.Is(kWsdlNamespace, "portType")) {
      const auto [entry, added] = index_.portTypes.try_emplace(name);
      if (added) frame = {.kind = Kind::PortType, .portType = &entry->second};
    } else if (e.Is(kWsdlNamespace, "binding")) {
      const auto [entry, added] = index_.bindings.try_emplace(name);
      if (!added) return;
      entry->second.type = LocalPart(AttributeText(e, "type"));
      frame = {.kind = Kind::Binding, .binding = &entry->second};
    } else if (e.Is(kWsdlNamespace, "service")) {
      const auto [entry, added] = index_.services.try_emplace(name);
      if (added) frame = {.kind = Kind::Service, .ports = &entry->second};
    }
  }

  void StartDeclaration(const XmlElement& e, Frame& frame) {
    DeclarationKey key{schemaNamespace_, AttributeText(e, "name")};
    if (e.Is(kSchemaNamespace, "element")) {
      const auto [entry, added] = index_.elements.try_emplace(std::move(key));
      if (!added) return;
      entry->second.typeText = AttributeText(e, "type");
      entry->second.type = e.Resolve(entry->second.typeText);
      frame = {.kind = Kind::TopElement, .element = &entry->second};
    } else if (e.Is(kSchemaNamespace, "complexType")) {
      const auto [entry, added] = index_.complexTypes.try_emplace(std::move(key));
      if (added) frame = {.kind = Kind::ComplexType, .sequence = &entry->second};
    }
  }

  void StartBindingChild(const XmlElement& e, Frame& frame) {
    Binding& binding = *stack_.back().binding;
    if (e.Is(kWsdlSoap11Namespace, "binding")) {
      binding.soap11 = true;
      binding.style = AttributeText(e, "style");
    } else if (e.Is(kWsdlNamespace, "operation")) {
      binding.operations.push_back({AttributeText(e, "name"), {}, {}, std::nullopt});
      frame = {.kind = Kind::BindingOperation, .binding = &binding, .operation = &binding.operations.back()};
    }
  }

  void AddParameter(const XmlElement& e, Sequence& sequence) {
    if (const auto ref = e.Attribute("ref")) {
      sequence.parameters.push_back({LocalPart(*ref), true});
      return;
    }
    const std::string form = AttributeText(e, "form");
    sequence.parameters.push_back({AttributeText(e, "name"), form.empty() ? qualifiedByDefault_ : form == "qualified"});
  }

  DescriptionIndex& index_;
  std::vector<Frame> stack_;
  std::string schemaNamespace_;
  bool qualifiedByDefault_ = false;
};

// Printable ASCII without quotes or backslashes: nothing that could end the quoted header value or the line.
bool IsSafeSoapAction(std::string_view text) {
  for (const char c : text)
    if (c < 0x20 || c > 0x7E || c == '"' || c == '\\') return false;
  return true;
}

bool IsHttpAddress(std::string_view address) {
  for (const char c : address)
    if (c <= 0x20 || c > 0x7E) return false;
  return address.starts_with("http://") || address.starts_with("https://");
}

// The parameters of a document-style request, from the declaration of its element.
void ReadWrapperElement(const DescriptionIndex& index, const ElementDeclaration& element, OperationDescription& op) {
  const Sequence* sequence = element.inlineType ? &element.sequence : nullptr;
  if (!sequence && element.type) {
    const auto found = index.complexTypes.find({element.type->Namespace, element.type->LocalName});
    if (found != index.complexTypes.end()) sequence = &found->second;
  }
  if (!sequence) {
    op.Problem = "l'élément de requête " + ShownText(op.RequestElement, 60) +
                 " n'a pas de type complexe dans la description";
    return;
  }
  for (const Parameter& parameter : sequence->parameters) {
    op.Parameters.push_back(parameter.name);
    op.QualifiedParameters = parameter.qualified;
  }
}

OperationDescription ReadOperation(const DescriptionIndex& index, const BindingOperation& bound,
                                   const std::map<std::string, std::string>* portType,
                                   const std::string& bindingStyle) {
  OperationDescription op;
  op.SoapAction = bound.soapAction;
  const std::string style = bound.style.empty() ? bindingStyle : bound.style;
  const auto abstract = portType ? portType->find(bound.name) : std::map<std::string, std::string>::const_iterator();
  const auto message = portType && abstract != portType->end() ? index.messages.find(abstract->second)
                                                               : index.messages.end();
  if (message == index.messages.end()) {
    op.Problem = "la description ne donne pas de message d'entrée pour " + ShownText(bound.name, 60);
    return op;
  }
  if (style == "rpc") {
    op.RequestElement = bound.name;
    op.RequestNamespace = bound.bodyNamespace.value_or(index.targetNamespace);
    for (const Part& part : message->second) op.Parameters.push_back(part.name);
    return op;
  }
  if (message->second.empty() || message->second.front().elementText.empty()) {
    op.Problem = "le message d'entrée de " + ShownText(bound.name, 60) + " ne nomme aucun élément";
    return op;
  }
  const Part& part = message->second.front();
  if (!part.element) {
    op.Problem = "l'élément " + ShownText(part.elementText, 60) + " du message d'entrée de " +
                 ShownText(bound.name, 60) + " a un préfixe non déclaré";
    return op;
  }
  op.RequestElement = part.element->LocalName;
  op.RequestNamespace = part.element->Namespace;
  const auto declaration = index.elements.find({part.element->Namespace, part.element->LocalName});
  if (declaration == index.elements.end()) {
    op.Problem = "la description ne déclare pas l'élément " + ShownText(part.element->LocalName, 60);
    return op;
  }
  ReadWrapperElement(index, declaration->second, op);
  return op;
}

// Gives `op` a Problem when one of its texts would not make a sound request.
void CheckTexts(OperationDescription& op) {
  if (!op.Problem.empty()) return;
  if (!IsSafeSoapAction(op.SoapAction)) {
    op.Problem = "son soapAction n'est pas un texte imprimable sur une ligne";
    return;
  }
  if (!IsXmlName(op.RequestElement)) {
    op.Problem = "le nom de son élément de requête n'est pas un nom XML";
    return;
  }
  for (const std::string& parameter : op.Parameters) {
    if (!IsXmlName(parameter)) {
      op.Problem = "le nom de paramètre \"" + ShownText(parameter, 60) + "\" n'est pas un nom XML";
      return;
    }
  }
}

}  // namespace

const OperationDescription& ServiceDescription::Operation(const std::string& name) const {
  const auto found = Operations.find(name);
  if (found == Operations.end()) throw SoapError("le service n'a pas d'opération " + ShownText(name));
  if (!found->second.Problem.empty())
    throw SoapError("impossible d'appeler " + ShownText(name) + " : " + found->second.Problem);
  return found->second;
}

ServiceDescription ReadServiceDescription(std::string_view wsdl, const std::string& serviceName) {
  DescriptionIndex index;
  DescriptionCollector collector(index);
  try {
    ReadXml(wsdl, collector);
  } catch (const XmlError& e) {
    throw SoapError(std::string("la description du service n'est pas du XML valide : ") + e.what());
  }
  if (!index.wsdl) throw SoapError("la description du service n'est pas un document WSDL 1.1");

  const auto service = index.services.find(serviceName);
  if (service == index.services.end())
    throw SoapError("la description ne contient pas de service " + ShownText(serviceName));
  const Binding* binding = nullptr;
  ServiceDescription description;
  description.TargetNamespace = index.targetNamespace;
  for (const Port& port : service->second) {
    const auto found = index.bindings.find(port.binding);
    if (!port.address || found == index.bindings.end()) continue;
    binding = &found->second;
    description.Address = *port.address;
    break;
  }
  if (!binding || description.Address.empty())
    throw SoapError("le service " + ShownText(serviceName) + " n'a pas de port SOAP 1.1 dans sa description");
  if (!IsHttpAddress(description.Address))
    throw SoapError("l'adresse du service, \"" + ShownText(description.Address, 120) + "\", n'est pas une URL http");

  const auto portType = index.portTypes.find(binding->type);
  const std::string style = binding->style.empty() ? "document" : binding->style;
  for (const BindingOperation& bound : binding->operations) {
    if (description.Operations.contains(bound.name)) continue;
    OperationDescription op =
        ReadOperation(index, bound, portType == index.portTypes.end() ? nullptr : &portType->second, style);
    CheckTexts(op);
    description.Operations.emplace(bound.name, std::move(op));
  }
  return description;
}

}  // namespace maj::docs
