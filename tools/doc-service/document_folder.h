#pragma once
// The documents the service offers: a folder holding "index.txt" and one file per document.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace maj::docservice {

// The folder `folder`: its index.txt has one "identifier|label|version" line per document (blank lines
// and lines starting with "#" are skipped); the document with identifier N is the file whose name is N or
// starts with "N." (such as "12.pdf").
class DocumentFolder {
 public:
  explicit DocumentFolder(std::string folder);

  // The index lines, unchanged, whose version lies in lOld..lNew: the version "a.b.c" stands for the number
  // a*10000 + b*100 + c (13.01.0010 → 130110) and "a.b" for every a.b.c; a line with no readable version is
  // always listed. Read again at each call; an unreadable index lists nothing.
  std::vector<std::string> List(std::int32_t lOld, std::int32_t lNew) const;

  // The path of the document `identifier` (a whole number), nullopt when there is none.
  std::optional<std::string> Find(double identifier) const;

 private:
  std::string folder_;
};

}  // namespace maj::docservice
