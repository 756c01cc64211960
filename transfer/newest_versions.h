#pragma once
// The newest published version of every plain name of one Windows version, as the update check reads it.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace maj::transfer {

// One plain name to check: the name as its first row for this Windows version spells it, and the VERSION and
// TYPE of the newest row of that name.
struct NewestVersion {
  std::string nom;
  std::string version;
  std::int32_t type = 0;

  bool operator==(const NewestVersion&) const = default;
};

// Every name that has a plain row (typeCondition 0) whose flag column `key` (a known OS key) is not 0, in the
// order of that name's first such row, with the highest VERSION in the database's text order among all plain
// rows of the name, whatever their flags. Names are grouped and compared by the server under the table's
// collation (letter case and trailing blanks ignored as `nom = ?` ignores them). `wanted` is asked about each
// name in that order (TYPE not read yet); the wanted ones are returned, in the same order, with TYPE: that of
// the last inserted row of their newest version. One statement for all names, and one more for the types
// when any name is wanted; a server that refuses them is asked name by name instead. Failures throw
// DatabaseError.
std::vector<NewestVersion> NewestPlainVersions(const std::string& key,
                                               const std::function<bool(const NewestVersion&)>& wanted);

// The same answer read with one statement per name: the way of servers that refuse the single statement.
std::vector<NewestVersion> NewestPlainVersionsNameByName(const std::string& key,
                                                         const std::function<bool(const NewestVersion&)>& wanted);

}  // namespace maj::transfer
