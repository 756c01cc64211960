#include "docs/soap_envelope.h"

#include "docs/shown_text.h"
#include "docs/soap_error.h"

namespace maj::docs {
namespace {

// Raw fault texts are kept up to this length; the message shows less.
constexpr size_t kMaxFaultBytes = 4 * kMaxShownText;

// `text` escaped for an element's content or an attribute value. Throws SoapError for a character that
// XML 1.0 cannot carry.
std::string Escaped(std::string_view text) {
  std::string escaped;
  for (const char c : text) {
    switch (c) {
      case '&': escaped += "&amp;"; break;
      case '<': escaped += "&lt;"; break;
      case '>': escaped += "&gt;"; break;
      case '"': escaped += "&quot;"; break;
      case '\t': escaped += "&#9;"; break;
      case '\n': escaped += "&#10;"; break;
      case '\r': escaped += "&#13;"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20)
          throw SoapError("le texte \"" + ShownText(text, 60) + "\" contient un caractère de contrôle");
        escaped += c;
    }
  }
  return escaped;
}

void AppendCapped(std::string& kept, std::string_view text) {
  kept.append(text.substr(0, kMaxFaultBytes - std::min(kMaxFaultBytes, kept.size())));
}

bool IsBlank(std::string_view text) { return text.find_first_not_of(" \t\r\n") == std::string_view::npos; }

std::string StatusText(long status) { return "HTTP " + std::to_string(status); }

}  // namespace

std::string BuildRequest(const std::string& operationName, const OperationDescription& operation,
                         const std::vector<std::string>& arguments) {
  if (arguments.size() != operation.Parameters.size())
    throw SoapError(ShownText(operationName) + " prend " + std::to_string(operation.Parameters.size()) +
                    " paramètres, pas " + std::to_string(arguments.size()));
  if (!IsXmlName(operation.RequestElement)) throw SoapError("le nom de l'élément de requête n'est pas un nom XML");
  // A request element in no namespace takes no prefix: "m" cannot be bound to an empty name.
  const bool inNamespace = !operation.RequestNamespace.empty();
  const std::string element = (inNamespace ? "m:" : "") + operation.RequestElement;
  std::string body = "<" + element;
  if (inNamespace) body += " xmlns:m=\"" + Escaped(operation.RequestNamespace) + "\"";
  body += ">";
  for (size_t i = 0; i < arguments.size(); ++i) {
    if (!IsXmlName(operation.Parameters[i])) throw SoapError("un nom de paramètre n'est pas un nom XML");
    const std::string name = (operation.QualifiedParameters && inNamespace ? "m:" : "") + operation.Parameters[i];
    body += "<" + name + ">" + Escaped(arguments[i]) + "</" + name + ">";
  }
  body += "</" + element + ">";
  return std::string("<?xml version=\"1.0\" encoding=\"utf-8\"?><soap:Envelope xmlns:soap=\"") + kEnvelopeNamespace +
         "\"><soap:Body>" + body + "</soap:Body></soap:Envelope>";
}

void SoapAnswerReader::StartElement(const XmlElement& element) {
  ++depth_;
  if (depth_ == 1 && !element.Is(kEnvelopeNamespace, "Envelope"))
    throw SoapError("la réponse du service n'est pas une enveloppe SOAP 1.1");
  if (depth_ == 2 && element.Is(kEnvelopeNamespace, "Body") && !sawBody_) inBody_ = sawBody_ = true;
  if (depth_ == 3 && inBody_ && !sawResponse_ && !sawFault_) {
    if (element.Is(kEnvelopeNamespace, "Fault")) {
      inFault_ = sawFault_ = true;
    } else {
      inResponse_ = sawResponse_ = true;
    }
    return;
  }
  if (inFault_ && depth_ == 4 && field_ == Field::None) {
    if (element.LocalName == "faultcode") field_ = Field::Code;
    if (element.LocalName == "faultstring") field_ = Field::Text;
    fieldDepth_ = depth_;
  }
  if (inResponse_) ResponseStart(depth_ - 3, element);
}

void SoapAnswerReader::EndElement() {
  if (inResponse_ && depth_ > 3) ResponseEnd(depth_ - 3);
  if (field_ != Field::None && depth_ == fieldDepth_) field_ = Field::None;
  if (depth_ == 3) inResponse_ = inFault_ = false;
  if (depth_ == 2) inBody_ = false;
  --depth_;
}

void SoapAnswerReader::Text(std::string_view text) {
  // A fault's texts are taken with those of their child elements, so that markup inside cuts nothing.
  if (field_ == Field::Code) AppendCapped(faultCode_, text);
  if (field_ == Field::Text) AppendCapped(faultText_, text);
  if (inResponse_ && depth_ > 3) ResponseText(depth_ - 3, text);
}

void SoapAnswerReader::CheckAnswer(long status) const {
  if (sawFault_) {
    std::string message = "le service a répondu par une erreur (" + StatusText(status) + ") : " +
                          (faultText_.empty() ? std::string("(sans texte)") : ShownText(faultText_));
    if (!faultCode_.empty()) message += " [" + ShownText(faultCode_, 60) + "]";
    throw SoapError(message);
  }
  if (status != 200) throw SoapError("le service a répondu par le statut " + StatusText(status));
  if (!sawBody_) throw SoapError("la réponse du service n'a pas de corps SOAP");
  if (!sawResponse_) throw SoapError("la réponse du service ne contient pas d'élément de réponse");
}

void SoapAnswerReader::Fail(long status, const std::string& reason) const {
  if (sawFault_ || status != 200) CheckAnswer(status);
  throw SoapError(reason);
}

bool IsNil(const XmlElement& element) {
  const auto nil = element.Attribute(kSchemaInstanceNamespace, "nil");
  return nil == "true" || nil == "1";
}

namespace {

// Keeps the first two levels under the response element: its children, and their children as items.
class TextArrayReader : public SoapAnswerReader {
 public:
  struct Item {
    std::string text;
    bool nil = false;
    bool markup = false;  // the item holds elements
    std::vector<Item> children;
  };
  std::vector<Item> top;

 protected:
  void ResponseStart(int depth, const XmlElement& element) override {
    if (depth == 1) top.push_back({{}, IsNil(element), false, {}});
    if (depth == 2) top.back().children.push_back({{}, IsNil(element), false, {}});
    if (depth >= 3) top.back().children.back().markup = true;
    if (depth == 2) top.back().markup = true;
  }
  void ResponseEnd(int) override {}
  void ResponseText(int depth, std::string_view text) override {
    if (depth == 1) top.back().text.append(text);
    if (depth == 2) top.back().children.back().text.append(text);
  }
};

std::vector<std::string> ItemTexts(const std::vector<TextArrayReader::Item>& items) {
  std::vector<std::string> texts;
  for (const TextArrayReader::Item& item : items) {
    if (item.markup) throw SoapError("une entrée de la liste contient des éléments XML");
    texts.push_back(item.nil ? std::string() : item.text);
  }
  return texts;
}

}  // namespace

std::vector<std::string> ReadTextArray(long status, std::string_view body) {
  TextArrayReader reader;
  try {
    ReadXml(body, reader);
  } catch (const XmlError& e) {
    reader.Fail(status, std::string("la réponse du service n'est pas du XML valide : ") + e.what());
  } catch (const SoapError& e) {
    reader.Fail(status, e.what());
  }
  reader.CheckAnswer(status);
  // Wrapped (the usual shape): one result element holding the items, or holding nothing when the list is
  // empty. A leaf holding text is an item given directly.
  const auto& top = reader.top;
  if (top.size() == 1 && (!top[0].children.empty() || IsBlank(top[0].text))) {
    if (top[0].nil) return {};
    return ItemTexts(top[0].children);
  }
  return ItemTexts(top);
}

}  // namespace maj::docs
