#include "app/frm_wait_proscenia.h"

#include <QMouseEvent>
#include <QShowEvent>

#include <exception>

#include "app/message_box.h"
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
  // The frame is drawn over the title bar and the banner, which cover the whole screen; clicks go through.
  ui_->CadreAttente->setAttribute(Qt::WA_TransparentForMouseEvents);
  ui_->CadreAttente->raise();
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
    ShowErrorBox(this, QString::fromStdString(error.what()));
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

void Frm_WaitProscenia::showEvent(QShowEvent* event) {
  if (const QWidget* owner = parentWidget()) {
    // Centred across the owner, near its bottom edge: the owner's status line, at its top, stays in view.
    constexpr int kGapAboveOwnerBottom = 24;
    const QRect area = owner->window()->geometry();
    move(area.center().x() - width() / 2, area.bottom() - height() - kGapAboveOwnerBottom);
  }
  QDialog::showEvent(event);
}

}  // namespace maj::app
