#pragma once
// Namespace-aware reading of element names with pugixml, which keeps prefixes as written (the service side).
#include <pugixml.hpp>

#include <string>
#include <string_view>

#include "docs/xml_reader.h"

namespace maj::docservice {

using docs::kEnvelopeNamespace;

// The part of a qualified name after its prefix ("tns:Name" → "Name").
std::string_view LocalName(std::string_view qualifiedName);

// The prefix of a qualified name ("tns:Name" → "tns", "Name" → "").
std::string_view Prefix(std::string_view qualifiedName);

// The namespace that `prefix` stands for where `node` is, from the xmlns declarations of the node and its
// ancestors ("" for an undeclared prefix, or for no prefix and no default namespace).
std::string NamespaceOfPrefix(pugi::xml_node node, std::string_view prefix);

// The namespace of the element `node`.
std::string NamespaceOf(pugi::xml_node node);

// True when `node` is an element named `localName` in namespace `ns`.
bool IsElement(pugi::xml_node node, std::string_view ns, std::string_view localName);

// The first child element of `node` named `localName` in namespace `ns` (empty node when none).
pugi::xml_node ChildElement(pugi::xml_node node, std::string_view ns, std::string_view localName);

// The first child element of `node`, whatever its name (empty node when none).
pugi::xml_node FirstChildElement(pugi::xml_node node);

}  // namespace maj::docservice
