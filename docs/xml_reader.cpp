#include "docs/xml_reader.h"

#include <expat.h>

namespace maj::docs {
namespace {

// Separates a namespace from a local name in expat's names: a character that XML text cannot hold.
constexpr char kSeparator = '\x01';

std::pair<std::string_view, std::string_view> SplitName(const XML_Char* name) {
  const std::string_view text(name);
  const size_t separator = text.find(kSeparator);
  if (separator == std::string_view::npos) return {{}, text};
  return {text.substr(0, separator), text.substr(separator + 1)};
}

}  // namespace

void NamespaceScope::Declare(std::string_view prefix, std::string_view uri) {
  bindings_[std::string(prefix)].emplace_back(uri);
}

void NamespaceScope::Undeclare(std::string_view prefix) {
  const auto found = bindings_.find(std::string(prefix));
  if (found != bindings_.end() && !found->second.empty()) found->second.pop_back();
}

std::optional<std::string_view> NamespaceScope::Find(std::string_view prefix) const {
  if (prefix == "xml") return std::string_view("http://www.w3.org/XML/1998/namespace");
  const auto found = bindings_.find(std::string(prefix));
  if (found == bindings_.end() || found->second.empty()) {
    if (prefix.empty()) return std::string_view();
    return std::nullopt;
  }
  return std::string_view(found->second.back());
}

std::optional<std::string_view> XmlElement::Attribute(std::string_view localName) const {
  return Attribute({}, localName);
}

std::optional<std::string_view> XmlElement::Attribute(std::string_view ns, std::string_view localName) const {
  for (const XmlAttribute& attribute : Attributes)
    if (attribute.LocalName == localName && attribute.Namespace == ns) return attribute.Value;
  return std::nullopt;
}

std::optional<QualifiedName> XmlElement::Resolve(std::string_view qualifiedName) const {
  const size_t colon = qualifiedName.find(':');
  const std::string_view prefix = colon == std::string_view::npos ? std::string_view() : qualifiedName.substr(0, colon);
  const std::string_view local = colon == std::string_view::npos ? qualifiedName : qualifiedName.substr(colon + 1);
  const std::optional<std::string_view> ns = Scope ? Scope->Find(prefix) : std::nullopt;
  if (!ns) return std::nullopt;
  return QualifiedName{std::string(*ns), std::string(local)};
}

struct XmlReader::State {
  XML_Parser parser = nullptr;
  XmlHandler* handler = nullptr;
  NamespaceScope scope;
  std::exception_ptr failure;  // thrown by a handler; exceptions must not cross expat's C frames
  bool doctype = false;
  std::size_t maxMarkup = 0;
  std::size_t fed = 0;

  // Runs a handler call, keeping what it throws and stopping the parser.
  template <typename Call>
  void Guard(Call call) {
    if (failure) return;
    try {
      call();
    } catch (...) {
      failure = std::current_exception();
      XML_StopParser(parser, XML_FALSE);
    }
  }

  static State& Of(void* user) { return *static_cast<State*>(user); }

  static void OnStart(void* user, const XML_Char* name, const XML_Char** attributes) {
    State& state = Of(user);
    state.Guard([&] {
      XmlElement element;
      std::tie(element.Namespace, element.LocalName) = SplitName(name);
      for (const XML_Char** a = attributes; *a; a += 2) {
        const auto [ns, local] = SplitName(a[0]);
        element.Attributes.push_back({ns, local, a[1]});
      }
      element.Scope = &state.scope;
      state.handler->StartElement(element);
    });
  }
  static void OnEnd(void* user, const XML_Char*) {
    State& state = Of(user);
    state.Guard([&] { state.handler->EndElement(); });
  }
  static void OnText(void* user, const XML_Char* text, int length) {
    State& state = Of(user);
    state.Guard([&] { state.handler->Text(std::string_view(text, static_cast<size_t>(length))); });
  }
  static void OnNamespaceStart(void* user, const XML_Char* prefix, const XML_Char* uri) {
    Of(user).scope.Declare(prefix ? prefix : "", uri ? uri : "");
  }
  static void OnNamespaceEnd(void* user, const XML_Char* prefix) { Of(user).scope.Undeclare(prefix ? prefix : ""); }
  static void OnDoctype(void* user, const XML_Char*, const XML_Char*, const XML_Char*, int) {
    State& state = Of(user);
    state.doctype = true;
    XML_StopParser(state.parser, XML_FALSE);
  }
};

XmlReader::XmlReader(XmlHandler& handler, std::size_t maxMarkup) : state_(std::make_unique<State>()) {
  state_->parser = XML_ParserCreateNS(nullptr, kSeparator);
  if (!state_->parser) throw std::bad_alloc();
  state_->handler = &handler;
  state_->maxMarkup = maxMarkup;
  XML_Parser p = state_->parser;
  XML_SetUserData(p, state_.get());
  XML_SetElementHandler(p, &State::OnStart, &State::OnEnd);
  XML_SetCharacterDataHandler(p, &State::OnText);
  XML_SetNamespaceDeclHandler(p, &State::OnNamespaceStart, &State::OnNamespaceEnd);
  XML_SetStartDoctypeDeclHandler(p, &State::OnDoctype);
  XML_SetParamEntityParsing(p, XML_PARAM_ENTITY_PARSING_NEVER);
}

XmlReader::~XmlReader() { XML_ParserFree(state_->parser); }

void XmlReader::Parse(std::string_view piece, bool final) {
  State& state = *state_;
  if (state.failure) std::rethrow_exception(state.failure);
  // expat takes an int length: a long piece goes in slices.
  constexpr size_t kSlice = 1 << 20;
  do {
    const std::string_view slice = piece.substr(0, kSlice);
    piece.remove_prefix(slice.size());
    const bool last = final && piece.empty();
    const XML_Status status = XML_Parse(state.parser, slice.data(), static_cast<int>(slice.size()), last);
    state.fed += slice.size();
    if (state.failure) std::rethrow_exception(state.failure);
    if (state.doctype) throw XmlError("une déclaration de type de document (DTD) est refusée");
    if (status != XML_STATUS_OK) {
      throw XmlError(std::string(XML_ErrorString(XML_GetErrorCode(state.parser))) + ", ligne " +
                     std::to_string(XML_GetCurrentLineNumber(state.parser)));
    }
    // What expat keeps back is the token it could not finish yet.
    const XML_Index position = XML_GetCurrentByteIndex(state.parser);
    if (!last && position >= 0 && state.fed - static_cast<size_t>(position) > state.maxMarkup)
      throw XmlError("balisage de plus de " + std::to_string(state.maxMarkup) + " octets");
  } while (!piece.empty());
}

void XmlReader::Feed(std::string_view piece) { Parse(piece, false); }

void XmlReader::Finish() { Parse({}, true); }

void ReadXml(std::string_view text, XmlHandler& handler) {
  XmlReader reader(handler, text.size() + 1);
  reader.Feed(text);
  reader.Finish();
}

namespace {

// Records the one element name that a test document holds.
struct NameProbe : XmlHandler {
  std::string name;
  void StartElement(const XmlElement& element) override { name = std::string(element.LocalName); }
  void EndElement() override {}
  void Text(std::string_view) override {}
};

// The ASCII names, the usual case, need no parser: a letter or "_", then letters, digits, ".", "-", "_".
bool IsAsciiXmlName(std::string_view name) {
  const auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
  if (name.empty() || !letter(name[0])) return false;
  for (const char c : name)
    if (!letter(c) && !(c >= '0' && c <= '9') && c != '.' && c != '-') return false;
  return true;
}

}  // namespace

bool IsXmlName(std::string_view name) {
  if (IsAsciiXmlName(name)) return true;
  if (name.empty() || name.find_first_of(":<>&/\"' \t\r\n") != std::string_view::npos) return false;
  NameProbe probe;
  try {
    std::string element = "<";  // built by append: GCC 12 misreads "literal" + string at -O3 (-Wrestrict)
    element.append(name).append("/>");
    ReadXml(element, probe);
  } catch (const XmlError&) {
    return false;
  }
  return probe.name == name;
}

}  // namespace maj::docs
