#pragma once
// The file name that the save dialog proposes for a document: the service's label is text, never a path.
#include <string>
#include <string_view>

namespace maj::docs {

// Proposed when the label leaves nothing usable.
inline constexpr char kDefaultDocumentName[] = "document";
// Longest proposed name, in bytes (file systems allow 255).
inline constexpr std::size_t kMaxDocumentNameBytes = 200;

// `documentsFolder` joined with a name made from `label`: its last part only (whatever stands before a "/"
// or "\" dropped), control characters removed (C0, DEL and C1), blanks and dots at either end removed so
// that no hidden or "." name comes out, cut to kMaxDocumentNameBytes on a character boundary;
// kDefaultDocumentName when nothing is left.
std::string ProposedDocumentPath(std::string_view label, const std::string& documentsFolder);

}  // namespace maj::docs
