#include "app/frm_wait_proscenia.h"

#include <QMessageBox>
#include <QMouseEvent>

#include <exception>

#include "app/orv_frm.h"
#include "sysinfo/process_queries.h"
#include "ui_frm_wait_proscenia.h"

namespace maj::app {

Frm_WaitProscenia::Frm_WaitProscenia(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint), ui_(std::make_unique<Ui::Frm_WaitProscenia>()) {
  ui_->setupUi(this);
  ui_->Orv_Frm1->ReadProperties({{"Caption", QStringLiteral("Attente fermeture de Proscenia")}});
  setWindowTitle(ui_->Orv_Frm1->Caption());
  timerCheckWindow_.setInterval(500);
  connect(&timerCheckWindow_, &QTimer::timeout, this, &Frm_WaitProscenia::TimerCheckWindow_Timer);
  connect(ui_->Orv_Frm1, &Orv_Frm::QueryUnload, this, &QDialog::reject);
  ui_->Label->installEventFilter(this);
}

Frm_WaitProscenia::~Frm_WaitProscenia() = default;

Orv_Frm* Frm_WaitProscenia::TitleBar() const { return ui_->Orv_Frm1; }

void Frm_WaitProscenia::setProcessIdToCheck(std::int32_t processId) {
  processIdToCheck_ = processId;
  if (processId != 0) {
    timerCheckWindow_.start();
  } else {
    timerCheckWindow_.stop();
  }
}

void Frm_WaitProscenia::TimerCheckWindow_Timer() {
  try {
    if (!sysinfo::IsProcessAlive(processIdToCheck_)) {
      timerCheckWindow_.stop();
      accept();
    }
  } catch (const std::exception& error) {
    // The process table could not be read: say why once and stop polling; "Quitter" stays usable.
    timerCheckWindow_.stop();
    QMessageBox::critical(this, windowTitle(), QString::fromStdString(error.what()));
  }
}

bool Frm_WaitProscenia::eventFilter(QObject* watched, QEvent* event) {
  if (watched == ui_->Label && event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    reject();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace maj::app
