#include "app/published_file_record.h"

#include <QString>
#include <QStringList>

#include "db/query_helpers.h"
#include "engine/fichier.h"

namespace maj::app {

std::optional<WindowsFlags> ParseWindowsList(std::string_view list) {
  WindowsFlags flags{};
  bool any = false;
  for (const QString& part : QString::fromUtf8(list.data(), static_cast<qsizetype>(list.size())).split(',')) {
    const QString name = part.trimmed();
    if (name.compare("all", Qt::CaseInsensitive) == 0) {
      flags = kEveryWindows;
      any = true;
      continue;
    }
    bool known = false;
    for (std::size_t i = 0; i < kWindowsColumns.size(); ++i) {
      if (name.compare(QString::fromLatin1(kWindowsColumns[i]), Qt::CaseInsensitive) != 0) continue;
      flags[i] = true;
      known = true;
    }
    if (!known) return std::nullopt;
    any = true;
  }
  if (!any) return std::nullopt;
  return flags;
}

std::shared_ptr<transfer::cls_File> FileRecordOf(const PublishedFileRow& row) {
  auto record = std::make_shared<transfer::cls_File>();
  record->SetPath(row.Folder + row.Nom);
  record->SetNom(row.Nom);
  record->SetTypeFichier(static_cast<std::int16_t>((row.Ticks.Register ? engine::kTypeRegisterInPlace : 0) +
                                                   (row.Ticks.RegAsm ? engine::kTypeDotNetAssembly : 0) +
                                                   (row.Ticks.Codebase ? engine::kTypeCodeBase : 0)));
  record->SetCurrentVersion(db::NormalizeVersion(row.Version));
  record->SetW9x(row.Windows[0]);
  record->SetWME(row.Windows[1]);
  record->SetWNT4(row.Windows[2]);
  record->SetWXP(row.Windows[3]);
  record->SetW2k(row.Windows[4]);
  record->SetW2k3(row.Windows[5]);
  record->SetWVista(row.Windows[6]);
  record->SetW7(row.Windows[7]);
  record->Setw8(row.Windows[8]);
  record->SetCodeBase(row.Ticks.Codebase);
  return record;
}

}  // namespace maj::app
