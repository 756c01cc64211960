#pragma once
// The main screen: shows the update session's states as one status line and a progress bar, the wait screen
// while the main application runs, then the end panel with the documentation, the publishing panel and
// "Quitter". The session runs on a thread of its own: the screen only renders. Closing it ends the program.
#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "session/session_state.h"

class QFrame;
class QLabel;
class QProgressBar;
class QTableWidget;

namespace Ui {
class Frm_maj;
}

namespace maj::app {

class DocumentationList;
class Frm_WaitProscenia;
class Orv_Frm;
class SessionWorker;

class Frm_maj : public QWidget {
  Q_OBJECT

 public:
  // Shows "Vérifie si Proscenia est lancé" with the busy pointer and arms TimerCheckWindows, whose one tick,
  // a second later, starts the update session.
  explicit Frm_maj(QWidget* parent = nullptr);
  // Waits for a session still running (it was asked to stop) before the connection closes.
  ~Frm_maj() override;

  // The controls, for the program's other parts and for tests.
  Orv_Frm* Orv_Frm1() const;
  QLabel* LabelStatut() const;
  QProgressBar* ProgressTransfert() const;
  QFrame* FrameEnd() const;
  QFrame* FrameUL() const;
  QTableWidget* vsf() const;
  // The documentation list served in `vsf`.
  DocumentationList& Documentation() const { return *documentation_; }
  QTableWidget* VSFlexGrid() const;
  QTimer& TimerCheckWindows() { return timerCheckWindows_; }
  // The wait screen (reused for every process waited for); null before the first wait.
  Frm_WaitProscenia* WaitScreen() const { return waitScreen_.get(); }

  // True once the session reported that a restart is needed.
  bool RebootPending() const { return reboot_; }
  // True while a session or a publishing runs on the worker.
  bool SessionRunning() const;

  // The user actions of the end and publishing panels.
  void LabelEnvoyerDesFichiers_Click();
  void LabelAutreFichiers_Click();
  void LabelSendFiles_Click();
  void LabelQuitter_Click();
  // "Afficher toutes les documentations": every document, whatever its version.
  void LabelListeDocumentation_Click();

  // Adds the rows of an open-file dialog result (one full path, or a folder and names separated by NUL), as
  // "Ajouter des fichiers" does with the dialog's answer.
  void AddSelectedFiles(const std::string& dialogResult);

 signals:
  // Every state the window rendered, after rendering it (for the program's observers and tests).
  void StateRendered(const maj::session::SessionState& state);

 protected:
  // While a session runs the window stays: the session is asked to stop and the window closes once it has.
  void closeEvent(QCloseEvent* event) override;

 private:
  void CheckProscenia();
  void TimerCheckWindows_Timer();
  void Render(const session::SessionState& state);
  void RenderEnd(const session::SessionState& state);
  void SetStatus(const std::string& text);
  void ShowProgress(const session::SessionState& state);
  void ShowEndPanel();
  void ShowError(const std::string& description);
  bool WaitForMainApplication(std::int32_t processId);

  std::unique_ptr<Ui::Frm_maj> ui_;
  QTimer timerCheckWindows_;
  std::unique_ptr<Frm_WaitProscenia> waitScreen_;
  std::unique_ptr<DocumentationList> documentation_;
  std::unique_ptr<SessionWorker> worker_;
  std::string pendingError_;    // an Error state, shown when its session has ended
  bool reboot_ = false;
  bool stopping_ = false;       // a close asked the session to stop
  bool shutDown_ = false;
  bool publishing_ = false;     // the worker's task is publishing, not the update run
  std::vector<std::string> selectedFiles_{std::string()};
};

}  // namespace maj::app
