#pragma once
// The wait screen: shown modally while one process of the main application runs, it closes itself once that
// process has exited. Framed and darker than its owner, it sits in the owner's lower part, below the status
// line.
#include <QDialog>
#include <QTimer>

#include <cstdint>
#include <memory>

namespace Ui {
class Frm_WaitProscenia;
}

namespace maj::app {

class Orv_Frm;

class Frm_WaitProscenia : public QDialog {
  Q_OBJECT

 public:
  explicit Frm_WaitProscenia(QWidget* owner = nullptr);
  ~Frm_WaitProscenia() override;

  // The process waited for; setting a non-zero value starts the 500 ms polling, zero stops it. exec() then
  // returns Accepted once the process has exited, Rejected when the user chose "Quitter" or the close image
  // (the update must not go on while the main application runs).
  std::int32_t processIdToCheck() const { return processIdToCheck_; }
  void setProcessIdToCheck(std::int32_t processId);

  Orv_Frm* TitleBar() const;
  QTimer& TimerCheckWindow() { return timerCheckWindow_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void TimerCheckWindow_Timer();

  std::unique_ptr<Ui::Frm_WaitProscenia> ui_;
  QTimer timerCheckWindow_;
  std::int32_t processIdToCheck_ = 0;
};

}  // namespace maj::app
