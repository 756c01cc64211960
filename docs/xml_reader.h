#pragma once
// Reading XML from outside (descriptions and answers of a service) with expat, in pieces as it arrives.
// Names come resolved to their namespaces; text comes decoded (character references, CDATA sections) with
// comments and processing instructions left out. A document type declaration is refused, so no entity is
// ever declared, expanded or fetched.
#include <cstddef>
#include <exception>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace maj::docs {

inline constexpr char kWsdlNamespace[] = "http://schemas.xmlsoap.org/wsdl/";
inline constexpr char kWsdlSoap11Namespace[] = "http://schemas.xmlsoap.org/wsdl/soap/";
inline constexpr char kSchemaNamespace[] = "http://www.w3.org/2001/XMLSchema";
inline constexpr char kSchemaInstanceNamespace[] = "http://www.w3.org/2001/XMLSchema-instance";
inline constexpr char kEnvelopeNamespace[] = "http://schemas.xmlsoap.org/soap/envelope/";

// A name in a namespace ("" for none).
struct QualifiedName {
  std::string Namespace;
  std::string LocalName;
  friend bool operator==(const QualifiedName&, const QualifiedName&) = default;
};

struct XmlAttribute {
  std::string_view Namespace;
  std::string_view LocalName;
  std::string_view Value;
};

// The prefixes declared where the reader stands, each found in constant time however many are declared.
class NamespaceScope {
 public:
  void Declare(std::string_view prefix, std::string_view uri);
  void Undeclare(std::string_view prefix);
  // The namespace `prefix` stands for ("" alone is the default namespace); nullopt when undeclared.
  std::optional<std::string_view> Find(std::string_view prefix) const;

 private:
  std::unordered_map<std::string, std::vector<std::string>> bindings_;
};

// An element as it opens. Valid only during the StartElement call.
struct XmlElement {
  std::string_view Namespace;
  std::string_view LocalName;
  std::vector<XmlAttribute> Attributes;
  const NamespaceScope* Scope = nullptr;

  bool Is(std::string_view ns, std::string_view localName) const {
    return Namespace == ns && LocalName == localName;
  }
  // The value of the attribute `localName` in no namespace; nullopt when absent.
  std::optional<std::string_view> Attribute(std::string_view localName) const;
  // The value of the attribute `localName` in namespace `ns`; nullopt when absent.
  std::optional<std::string_view> Attribute(std::string_view ns, std::string_view localName) const;
  // A qualified name written in an attribute value ("tns:Name"), resolved where the element stands;
  // nullopt when its prefix is not declared.
  std::optional<QualifiedName> Resolve(std::string_view qualifiedName) const;
};

// What a document says, event by event. An exception thrown by a handler ends the reading and reaches the
// caller of Feed or Finish unchanged.
class XmlHandler {
 public:
  virtual ~XmlHandler() = default;
  virtual void StartElement(const XmlElement& element) = 0;
  virtual void EndElement() = 0;
  // Character data of the current element, in one or more pieces.
  virtual void Text(std::string_view text) = 0;
};

// Thrown for text that is not well-formed XML, or that this reader refuses.
class XmlError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One document read in pieces. Markup (a tag, a comment, a CDATA opening) longer than `maxMarkup` bytes is
// refused, so that feeding a hostile document piece by piece never rescans an ever longer pending token.
class XmlReader {
 public:
  explicit XmlReader(XmlHandler& handler, std::size_t maxMarkup = 64 * 1024);
  ~XmlReader();
  XmlReader(const XmlReader&) = delete;
  XmlReader& operator=(const XmlReader&) = delete;

  // Reads the next piece. Throws XmlError for a document that is not well-formed or holds a document type
  // declaration, or what a handler throws.
  void Feed(std::string_view piece);
  // Ends the document. Throws as Feed does, and XmlError when the document is not complete.
  void Finish();

  // The namespace scope and handler, for expat's callbacks.
  struct State;

 private:
  void Parse(std::string_view piece, bool final);

  std::unique_ptr<State> state_;
};

// True when `name` is an XML name without a prefix (an NCName), as expat reads one.
bool IsXmlName(std::string_view name);

// Reads the whole of `text` with `handler`. Throws as XmlReader does.
void ReadXml(std::string_view text, XmlHandler& handler);

}  // namespace maj::docs
