// The publishing panel of the main screen: the grid of files to publish, the file dialog, and the sending
// through the shared engine's queue.
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QMessageBox>

#include <exception>
#include <optional>

#include "app/download_manager_access.h"
#include "app/frm_maj.h"
#include "app/publishing_grid.h"
#include "platform/file_operations.h"
#include "platform/paths.h"
#include "signing/publishing_key.h"
#include "ui_frm_maj.h"

namespace maj::app {
namespace {

// The chosen files in the form the publishing code reads: one full path, or the folder then each name,
// separated by NUL. Several files of one dialog always share a folder.
std::string DialogResult(const QStringList& chosen) {
  if (chosen.size() == 1) return QDir::toNativeSeparators(chosen.front()).toStdString();
  std::string result = QFileInfo(chosen.front()).absolutePath().toStdString();
  for (const QString& path : chosen) result += '\0' + QFileInfo(path).fileName().toStdString();
  return result;
}

}  // namespace

void Frm_maj::LabelEnvoyerDesFichiers_Click() {
  ui_->VSFlexGrid->setRowCount(0);
  selectedFiles_.assign(1, std::string());
  const std::string folder = platform::ApplicationFolder();
  if (platform::CurrentFileOperations().FileExists(platform::JoinPath(folder, "orv_spec.exe"))) {
    AddGridRow(*ui_->VSFlexGrid, folder + "/", "Orv_Spec.exe", kPlainPreset);
  }
  ui_->FrameUL->show();
  ui_->FrameUL->raise();
}

void Frm_maj::LabelAutreFichiers_Click() {
  selectedFiles_.assign(1, std::string());
  // "*" rather than Windows' "*.*", which here would leave out the names without a dot.
  const QStringList chosen = QFileDialog::getOpenFileNames(this, QStringLiteral("Envoie fichiers"), QString(),
                                                           QStringLiteral("Tous les fichiers (*)"));
  if (chosen.isEmpty()) return;
  AddSelectedFiles(DialogResult(chosen));
}

void Frm_maj::AddSelectedFiles(const std::string& dialogResult) {
  try {
    selectedFiles_ = SplitDialogResult(dialogResult);
    AddDialogResult(*ui_->VSFlexGrid, selectedFiles_);
  } catch (const std::exception&) {
    // Adding is best effort: a failing step ends it and the rows added so far stay.
  }
}

void Frm_maj::LabelSendFiles_Click() {
  engine::cls_DownloadManager& manager = GetDownloadManager();
  setCursor(Qt::BusyCursor);
  try {
    // The key is looked for at each sending: a message says where to name it when the site signs.
    manager.SetSigningKey(signing::ResolvePublishingKey(std::nullopt));
    for (int row = 0; row < ui_->VSFlexGrid->rowCount(); ++row) {
      manager.AddFileToUpload(RowToFileRecord(*ui_->VSFlexGrid, row));
    }
    manager.ProcessUpload();
    SetStatus("Envoi des FICHIERs terminé");
  } catch (const std::exception& error) {
    ShowError(error.what());
  }
  unsetCursor();
}

}  // namespace maj::app
