#pragma once
// The raw pipelines: the work of publishing and of an update run done with the standard tools, written as
// bash scripts that the benchmarks time as a whole (every client start and connection included).
#include <string>
#include <vector>

#include "bench/bench_server.h"

namespace maj::bench {

// Size of one volume of a split archive, as the publisher cuts them.
inline constexpr long kVolumeBytes = 819200;

// One file to publish.
struct RawSource {
  std::string path;  // the local file; its archive and volumes are written beside it and removed afterwards
  std::string nom;
  std::string version;
};

// Publishes each source: `zip -q -j` (deflate at zip's default level, or stored when `storeOnly`) into
// <path>.zip; when that is larger than one volume, `split -b 819200 --numeric-suffixes=1 -a 3` into
// <path>.zip.001, .002, … and the whole archive removed; then one `mariadb` client per source inserting one
// Fichier64 row per archive file (Archive = Nom.zip or Nom.zip.NNN, every Windows flag -1), the data read by
// the server with LOAD_FILE (the server runs on this machine; `client` needs the FILE right); finally the
// archive files are removed.
std::string RawPublishScript(const Client& client, const std::vector<RawSource>& sources, bool storeOnly);

// Fetches and installs every plain row that applies to Windows XP: one listing query (key, Nom, Archive
// name) in key order; for each row one `mariadb --raw --batch --skip-column-names -e "select data ..."`
// writing DATA to its Archive name in `workingFolder`, then `truncate -s -1` to drop the line feed that the
// client prints after the value; for each name `cat` of its volumes into Nom.zip (when split), `unzip -q -o`
// into the working folder and `mv -f` into `binFolder`; finally the working folder is removed.
std::string RawUpdateScript(const Client& client, const std::string& workingFolder, const std::string& binFolder);

// Writes `script` to `path`.
void WriteScript(const std::string& path, const std::string& script);

}  // namespace maj::bench
