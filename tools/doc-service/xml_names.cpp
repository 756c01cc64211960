#include "tools/doc-service/xml_names.h"

namespace maj::docservice {

std::string_view LocalName(std::string_view qualifiedName) {
  const size_t colon = qualifiedName.find(':');
  return colon == std::string_view::npos ? qualifiedName : qualifiedName.substr(colon + 1);
}

std::string_view Prefix(std::string_view qualifiedName) {
  const size_t colon = qualifiedName.find(':');
  return colon == std::string_view::npos ? std::string_view() : qualifiedName.substr(0, colon);
}

std::string NamespaceOfPrefix(pugi::xml_node node, std::string_view prefix) {
  const std::string attribute = prefix.empty() ? std::string("xmlns") : "xmlns:" + std::string(prefix);
  for (pugi::xml_node n = node; n; n = n.parent()) {
    if (n.type() != pugi::node_element) continue;
    if (pugi::xml_attribute a = n.attribute(attribute.c_str())) return a.value();
  }
  return {};
}

std::string NamespaceOf(pugi::xml_node node) { return NamespaceOfPrefix(node, Prefix(node.name())); }

bool IsElement(pugi::xml_node node, std::string_view ns, std::string_view localName) {
  return node.type() == pugi::node_element && LocalName(node.name()) == localName && NamespaceOf(node) == ns;
}

pugi::xml_node ChildElement(pugi::xml_node node, std::string_view ns, std::string_view localName) {
  for (pugi::xml_node child : node.children())
    if (IsElement(child, ns, localName)) return child;
  return {};
}

pugi::xml_node FirstChildElement(pugi::xml_node node) {
  for (pugi::xml_node child : node.children())
    if (child.type() == pugi::node_element) return child;
  return {};
}

}  // namespace maj::docservice
