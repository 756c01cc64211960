#include "bench/raw_pipelines.h"

#include <fstream>
#include <stdexcept>

namespace maj::bench {

std::string RawPublishScript(const Client& client, const std::vector<RawSource>& sources, bool storeOnly) {
  std::string script = "set -euo pipefail\n";
  script += "client=(" + client.ShellCommand() + " --batch)\n";
  script += "level=" + std::string(storeOnly ? "-0" : "-6") + "\n";
  script += R"sh(publish() {
  local path="$1" nom="$2" version="$3"
  local zip="$path.zip"
  rm -f "$zip" "$zip".[0-9][0-9][0-9]
  zip -q -j "$level" "$zip" "$path"
  local files=("$zip")
  if [ "$(stat -c %s "$zip")" -gt )sh" + std::to_string(kVolumeBytes) + R"sh( ]; then
    split -b )sh" + std::to_string(kVolumeBytes) + R"sh( --numeric-suffixes=1 -a 3 "$zip" "$zip."
    rm -f "$zip"
    files=("$zip".[0-9][0-9][0-9])
  fi
  for file in "${files[@]}"; do
    echo "INSERT INTO Fichier64 (Version, Type, Nom, Archive, WIN9X, WINNT4, WIN2000, WINXP, WIN2003, WINME,\
 Vista, WIN7, WIN8, Data) VALUES ('$version', 0, '$nom', '$nom${file#"$path"}', -1, -1, -1, -1, -1, -1, -1, -1,\
 -1, LOAD_FILE('$file'));"
  done | "${client[@]}"
  rm -f "${files[@]}"
}
)sh";
  for (const RawSource& source : sources) {
    script += "publish " + ShellWord(source.path) + " " + ShellWord(source.nom) + " " + ShellWord(source.version) +
              "\n";
  }
  return script;
}

std::string RawUpdateScript(const Client& client, const std::string& workingFolder, const std::string& binFolder) {
  std::string script = "set -euo pipefail\n";
  script += "client=(" + client.ShellCommand() + " --batch --skip-column-names)\n";
  script += "work=" + ShellWord(workingFolder) + "\n";
  script += "bin=" + ShellWord(binFolder) + "\n";
  script += R"sh(rm -rf "$work"
mkdir -p "$work" "$bin"
cd "$work"
"${client[@]}" -e "SELECT cle_fichier, nom, IFNULL(Archive, CONCAT(nom, '.zip')) FROM Fichier64\
 WHERE typeCondition = 0 AND WINXP <> 0 ORDER BY cle_fichier" > rows.txt
while IFS=$'\t' read -r key nom archive; do
  "${client[@]}" --raw -e "SELECT data FROM Fichier64 WHERE cle_fichier = $key" > "$archive"
  truncate -s -1 "$archive"
done < rows.txt
cut -f 2 rows.txt | awk '!seen[$0]++' > names.txt
while IFS= read -r nom; do
  if [ ! -e "$nom.zip" ]; then
    cat "$nom".zip.[0-9][0-9][0-9] > "$nom.zip"
  fi
  unzip -q -o "$nom.zip" -d .
  mv -f "$nom" "$bin/$nom"
done < names.txt
cd /
rm -rf "$work"
)sh";
  return script;
}

void WriteScript(const std::string& path, const std::string& script) {
  std::ofstream out(path, std::ios::trunc);
  out << script;
  out.close();
  if (!out) throw std::runtime_error("cannot write " + path);
}

}  // namespace maj::bench
