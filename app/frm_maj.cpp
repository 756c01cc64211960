#include "app/frm_maj.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QMouseEvent>

#include <exception>

#include "app/documentation_list.h"
#include "app/download_manager_access.h"
#include "app/frm_wait_proscenia.h"
#include "app/message_box.h"
#include "app/orv_frm.h"
#include "app/panel_navigation.h"
#include "app/publishing_grid.h"
#include "app/screenshot.h"
#include "app/support_libraries.h"
#include "config/installation.h"
#include "db/database.h"
#include "db/update_table.h"
#include "sysinfo/process_queries.h"
#include "ui_frm_maj.h"

namespace maj::app {

Frm_maj::Frm_maj(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      ui_(std::make_unique<Ui::Frm_maj>()),
      listener_({.Status = [this](const std::string& text) { SetStatus(text); },
                 .NeedReboot =
                     [this] {
                       reboot_ = true;
                       ui_->LabelStatut->setStyleSheet(ui_->LabelStatut->styleSheet() + "color: rgb(255, 0, 0);");
                     },
                 .OldNewVersions =
                     [this](std::int32_t& lOld, std::int32_t& lNew) {
                       ShowDocumentationList(lOld, lNew);
                       ShowEndPanel();
                     },
                 .Progress = [this](std::int64_t done, std::int64_t expected) { ShowProgress(done, expected); }}) {
  ui_->setupUi(this);
  documentation_ = std::make_unique<DocumentationList>(ui_->vsf, this);
  ui_->Orv_Frm1->ReadProperties({{"Caption", QStringLiteral("Mise à jour Proscenia")}});
  connect(ui_->Orv_Frm1, &Orv_Frm::QueryUnload, this, &QWidget::close);
  MakeLabelActivatable(*ui_->LabelListeDocumentation, [this] { LabelListeDocumentation_Click(); });
  MakeLabelActivatable(*ui_->LabelEnvoyerDesFichiers, [this] { LabelEnvoyerDesFichiers_Click(); });
  MakeLabelActivatable(*ui_->LabelQuitter, [this] { LabelQuitter_Click(); });
  MakeLabelActivatable(*ui_->LabelAutreFichiers, [this] { LabelAutreFichiers_Click(); });
  MakeLabelActivatable(*ui_->LabelSendFiles, [this] { LabelSendFiles_Click(); });
  MakeLabelActivatable(*ui_->LabelRetour, [this] { ui_->FrameEnd->show(); });
  MakeLabelActivatable(*ui_->LabelQuitterEnvoi, [this] { LabelQuitter_Click(); });
  ShowOnePanelAtATime({ui_->FrameEnd, ui_->FrameUL});
  CloseOnEscape(*ui_->FrameEnd, [this] { close(); });
  CloseOnEscape(*ui_->FrameUL, [this] { close(); });
  connect(ui_->VSFlexGrid, &QTableWidget::cellClicked, this,
          [this](int row, int column) { ToggleTickBox(*ui_->VSFlexGrid, row, column); });
  connect(ui_->VSFlexGrid, &QTableWidget::cellDoubleClicked, this,
          [this](int row, int) { ui_->VSFlexGrid->removeRow(row); });
  timerCheckWindows_.setInterval(1000);
  timerCheckWindows_.setSingleShot(true);
  connect(&timerCheckWindows_, &QTimer::timeout, this, &Frm_maj::TimerCheckWindows_Timer);

  // The library folder needs no search-path change here: the platform loads no library from it.
  config::GetBinFolder();
  SetDownloadManagerListener(&listener_);
  GetDownloadManager();
  InitPublishingGrid(*ui_->VSFlexGrid);
  PrepareSupportLibraries();
  config::LocateSettingsFile();
  setWindowTitle(ui_->Orv_Frm1->Caption());
  setCursor(Qt::BusyCursor);
  SetStatus("Vérifie si Proscenia est lancé");
  CheckProscenia();
  selectedFiles_.assign(1, std::string());
}

Frm_maj::~Frm_maj() { SetDownloadManagerListener(nullptr); }

Orv_Frm* Frm_maj::Orv_Frm1() const { return ui_->Orv_Frm1; }
QLabel* Frm_maj::LabelStatut() const { return ui_->LabelStatut; }
QProgressBar* Frm_maj::ProgressTransfert() const { return ui_->ProgressTransfert; }
QFrame* Frm_maj::FrameEnd() const { return ui_->FrameEnd; }
QFrame* Frm_maj::FrameUL() const { return ui_->FrameUL; }
QTableWidget* Frm_maj::vsf() const { return ui_->vsf; }
QTableWidget* Frm_maj::VSFlexGrid() const { return ui_->VSFlexGrid; }

void Frm_maj::CheckProscenia() { timerCheckWindows_.start(); }

void Frm_maj::TimerCheckWindows_Timer() {
  timerCheckWindows_.stop();
  try {
    if (sysinfo::IsProcessRunning("Orv_Spec.exe")) {
      if (!waitScreen_) waitScreen_ = std::make_unique<Frm_WaitProscenia>(this);
      // A copy: the list may grow while a wait screen runs its own loop.
      const std::vector<std::int32_t> processIds = sysinfo::RunningProcessIds();
      for (const std::int32_t processId : processIds) {
        waitScreen_->setProcessIdToCheck(processId);
        if (waitScreen_->exec() != QDialog::Accepted) {
          // The user gave up waiting: nothing may be installed while the main application runs.
          close();
          return;
        }
      }
    }
    SetStatus("Prêt pour la mise à jour");
    unsetCursor();
    bool connectionFailed = false;
    db::ConnectDatabase([&](const std::string& description) {
      connectionFailed = true;
      ShowError(description);
    });
    if (connectionFailed) {
      close();
      QCoreApplication::exit(1);
      return;
    }
    StartUpdateRun();
  } catch (const std::exception& error) {
    unsetCursor();
    ShowProgress(0, 0);
    ShowError(error.what());
    ShowEndPanel();  // "Quitter" stays at hand
  }
}

void Frm_maj::StartUpdateRun() {
  db::EnsureUpdateTable();
  bool forcer = false;
  GetDownloadManager().Test_Version(forcer);
}

void Frm_maj::SetStatus(const std::string& text) {
  ui_->LabelStatut->setText(QString::fromStdString(text));
  ui_->LabelStatut->repaint();
}

void Frm_maj::ShowProgress(std::int64_t done, std::int64_t expected) {
  QProgressBar* bar = ui_->ProgressTransfert;
  if (expected <= 0 || done >= expected) {
    bar->hide();
    return;
  }
  // The bar counts in thousandths: its range is an int.
  bar->setRange(0, 1000);
  bar->setValue(static_cast<int>(done * 1000 / expected));
  bar->show();
  bar->repaint();
}

void Frm_maj::ShowEndPanel() {
  ui_->FrameEnd->show();
  ui_->FrameEnd->raise();
  if (const std::string path = ScreenshotPathFromEnvironment(); !path.empty()) {
    QTimer::singleShot(400, this, [this, path] {
      SaveScreenshot(*this, path);
      close();
    });
  }
}

void Frm_maj::ShowDocumentationList(std::int32_t& lOld, std::int32_t& lNew) {
  documentation_->ShowDocumentationList(lOld, lNew);
}

void Frm_maj::LabelListeDocumentation_Click() {
  std::int32_t lOld = 0;
  std::int32_t lNew = 999999;
  ShowDocumentationList(lOld, lNew);
}

void Frm_maj::ShowError(const std::string& description) {
  ShowErrorBox(this, QString::fromStdString(description));
}

void Frm_maj::LabelQuitter_Click() { close(); }

void Frm_maj::closeEvent(QCloseEvent* event) {
  if (!shutDown_) {
    shutDown_ = true;
    timerCheckWindows_.stop();
    db::CloseDatabase();
    if (reboot_) {
      ShowInformationBox(this, QStringLiteral("Vous devez redémarrer pour terminer l'installation"));
    }
  }
  event->accept();
}

bool Frm_maj::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::MouseButtonRelease || static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton) {
    return QWidget::eventFilter(watched, event);
  }
  if (watched == ui_->LabelQuitter) {
    LabelQuitter_Click();
  } else if (watched == ui_->LabelEnvoyerDesFichiers) {
    LabelEnvoyerDesFichiers_Click();
  } else if (watched == ui_->LabelAutreFichiers) {
    LabelAutreFichiers_Click();
  } else if (watched == ui_->LabelSendFiles) {
    LabelSendFiles_Click();
  } else if (watched == ui_->LabelListeDocumentation) {
    LabelListeDocumentation_Click();
  } else {
    return QWidget::eventFilter(watched, event);
  }
  return true;
}

}  // namespace maj::app
