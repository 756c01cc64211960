#include "app/frm_maj.h"

#include <QCloseEvent>
#include <QCoreApplication>

#include "app/documentation_list.h"
#include "app/frm_wait_proscenia.h"
#include "app/message_box.h"
#include "app/orv_frm.h"
#include "app/panel_navigation.h"
#include "app/publishing_grid.h"
#include "app/screenshot.h"
#include "app/session_worker.h"
#include "ui_frm_maj.h"

namespace maj::app {

using session::Outcome;
using session::SessionState;
using session::StateKind;

Frm_maj::Frm_maj(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), ui_(std::make_unique<Ui::Frm_maj>()) {
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

  SessionWorker::Questions questions;
  questions.WaitForMainApplication = [this](std::int32_t processId) { return WaitForMainApplication(processId); };
  questions.ShowMessage = [this](const std::string& message) {
    ShowInformationBox(this, QString::fromStdString(message));
  };
  worker_ = std::make_unique<SessionWorker>(std::move(questions));
  connect(worker_.get(), &SessionWorker::StateReported, this, &Frm_maj::Render, Qt::QueuedConnection);

  // The installation itself is prepared by the session once the main application is gone: a user who gives
  // up waiting leaves it as it was.
  InitPublishingGrid(*ui_->VSFlexGrid);
  setWindowTitle(ui_->Orv_Frm1->Caption());
  setCursor(Qt::BusyCursor);
  SetStatus("Vérifie si Proscenia est lancé");
  CheckProscenia();
  selectedFiles_.assign(1, std::string());
}

Frm_maj::~Frm_maj() {
  // States still on their way have nowhere to go.
  disconnect(worker_.get(), nullptr, this, nullptr);
  worker_.reset();
}

Orv_Frm* Frm_maj::Orv_Frm1() const { return ui_->Orv_Frm1; }
QLabel* Frm_maj::LabelStatut() const { return ui_->LabelStatut; }
QProgressBar* Frm_maj::ProgressTransfert() const { return ui_->ProgressTransfert; }
QFrame* Frm_maj::FrameEnd() const { return ui_->FrameEnd; }
QFrame* Frm_maj::FrameUL() const { return ui_->FrameUL; }
QTableWidget* Frm_maj::vsf() const { return ui_->vsf; }
QTableWidget* Frm_maj::VSFlexGrid() const { return ui_->VSFlexGrid; }
bool Frm_maj::SessionRunning() const { return worker_->IsBusy(); }

void Frm_maj::CheckProscenia() { timerCheckWindows_.start(); }

void Frm_maj::TimerCheckWindows_Timer() {
  timerCheckWindows_.stop();
  worker_->StartUpdate();
}

bool Frm_maj::WaitForMainApplication(std::int32_t processId) {
  if (!waitScreen_) waitScreen_ = std::make_unique<Frm_WaitProscenia>(this);
  waitScreen_->setProcessIdToCheck(processId);
  return waitScreen_->exec() == QDialog::Accepted;
}

void Frm_maj::Render(const SessionState& state) {
  switch (state.kind) {
    case StateKind::Status:
      // The one text that was left as it stood while a stop is under way is the stopping text.
      if (!stopping_) SetStatus(state.text);
      if (state.text == "Prêt pour la mise à jour") unsetCursor();
      break;
    case StateKind::Progress:
      ShowProgress(state);
      break;
    case StateKind::RestartNeeded:
      reboot_ = true;
      ui_->LabelStatut->setStyleSheet(ui_->LabelStatut->styleSheet() + "color: rgb(255, 0, 0);");
      break;
    case StateKind::Error:
      pendingError_ = state.text;
      break;
    case StateKind::Ended:
      RenderEnd(state);
      break;
  }
  emit StateRendered(state);
}

void Frm_maj::RenderEnd(const SessionState& state) {
  unsetCursor();
  ui_->ProgressTransfert->hide();
  // Shown only now, once nothing else of the session can arrive while the box is open.
  if (!pendingError_.empty()) {
    const std::string description = std::move(pendingError_);
    pendingError_.clear();
    ShowError(description);
  }
  if (stopping_) {
    close();
    return;
  }
  if (publishing_) {
    publishing_ = false;  // the publishing panel stays, with the last status text
    return;
  }
  switch (state.outcome) {
    case Outcome::Completed: {
      std::int32_t lOld = state.oldVersion;
      std::int32_t lNew = state.newVersion;
      documentation_->ShowDocumentationList(lOld, lNew);
      ShowEndPanel();
      break;
    }
    case Outcome::Failed:
      ShowEndPanel();  // "Quitter" stays at hand
      break;
    case Outcome::ConnectionFailed:
      close();
      QCoreApplication::exit(1);
      break;
    case Outcome::Stopped:
    case Outcome::GaveUpWaiting:
      // Nothing may be installed while the main application runs: the program ends.
      close();
      break;
  }
}

void Frm_maj::SetStatus(const std::string& text) { ui_->LabelStatut->setText(QString::fromStdString(text)); }

void Frm_maj::ShowProgress(const SessionState& state) {
  QProgressBar* bar = ui_->ProgressTransfert;
  if (state.expected <= 0 || state.done >= state.expected) {
    bar->hide();
    return;
  }
  if (state.unpacking) {
    // The fetch filled the bar; unpacking shows activity without sending it back to the start.
    bar->setRange(0, 0);
  } else {
    // The bar counts in thousandths: its range is an int.
    bar->setRange(0, 1000);
    bar->setValue(static_cast<int>(state.done * 1000 / state.expected));
  }
  bar->show();
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

void Frm_maj::LabelListeDocumentation_Click() {
  std::int32_t lOld = 0;
  std::int32_t lNew = 999999;
  documentation_->ShowDocumentationList(lOld, lNew);
}

void Frm_maj::ShowError(const std::string& description) {
  // A database failure reads "headline, Détail : the driver's words, what to check": the driver's words go
  // under the French text, in the box's detail.
  const QString text = QString::fromStdString(description);
  const qsizetype detailStart = text.indexOf(QStringLiteral("\nDétail : "));
  if (detailStart < 0) {
    ShowErrorBox(this, text);
    return;
  }
  const qsizetype detailEnd = text.indexOf('\n', detailStart + 1);
  const QString detail = text.mid(detailStart + 1, detailEnd < 0 ? -1 : detailEnd - detailStart - 1);
  const QString rest = detailEnd < 0 ? QString() : text.mid(detailEnd);
  ShowErrorBox(this, text.left(detailStart) + rest, detail);
}

void Frm_maj::LabelQuitter_Click() { close(); }

void Frm_maj::closeEvent(QCloseEvent* event) {
  if (worker_->IsBusy()) {
    if (!stopping_) {
      stopping_ = true;
      worker_->RequestStop();
      SetStatus(session::kStoppingText);
    }
    // The session's end closes the window.
    event->ignore();
    return;
  }
  timerCheckWindows_.stop();
  if (!shutDown_) {
    shutDown_ = true;
    if (reboot_) {
      ShowInformationBox(this, QStringLiteral("Vous devez redémarrer pour terminer l'installation"));
    }
  }
  event->accept();
}

}  // namespace maj::app
