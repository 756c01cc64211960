// maj-demo-publish: publishes files into Fichier64 the way the publishing panel does (version read from the
// file, tick boxes from the name, every Windows version), for scripts/demo. Usage:
//   maj-demo-publish <data source> <file>...
#include <cstdio>
#include <exception>
#include <string>

#include "app/publishing_presets.h"
#include "db/database.h"
#include "db/query_helpers.h"
#include "db/update_table.h"
#include "engine/version_compare.h"
#include "transfer/cls_file.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s <data source> <file>...\n", argv[0]);
    return 2;
  }
  try {
    bool connected = true;
    maj::db::ConnectDataSource(argv[1], [&](const std::string& description) {
      std::fprintf(stderr, "%s\n", description.c_str());
      connected = false;
    });
    if (!connected) return 1;
    maj::db::EnsureUpdateTable();
    for (int i = 2; i < argc; ++i) {
      const std::string path = argv[i];
      const std::string name = path.substr(path.find_last_of('/') + 1);
      const maj::app::PublishingPreset preset = maj::app::ClassifyPublishedName(name);
      maj::transfer::cls_File record;
      record.SetPath(path);
      record.SetNom(name);
      record.SetCurrentVersion(maj::db::NormalizeVersion(maj::engine::LocalFileVersion(path)));
      record.SetTypeFichier(static_cast<std::int16_t>((preset.Register ? 2 : 0) + (preset.RegAsm ? 64 : 0)));
      for (auto set : {&maj::transfer::cls_File::SetW9x, &maj::transfer::cls_File::SetWME,
                       &maj::transfer::cls_File::SetWNT4, &maj::transfer::cls_File::SetWXP,
                       &maj::transfer::cls_File::SetW2k, &maj::transfer::cls_File::SetW2k3,
                       &maj::transfer::cls_File::SetWVista, &maj::transfer::cls_File::SetW7,
                       &maj::transfer::cls_File::Setw8}) {
        (record.*set)(true);
      }
      record.Upload();
      std::printf("publié : %s version %s\n", name.c_str(), record.GetCurrentVersion().c_str());
    }
    maj::db::CloseDatabase();
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
  return 0;
}
