#pragma once
// The main screen: prepares the installation, waits for the main application to close, runs the update with
// one status line, then offers the documentation, the publishing panel and "Quitter". Closing it ends the
// program.
#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/status_texts.h"

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

class Frm_maj : public QWidget {
  Q_OBJECT

 public:
  // Runs the start-up (libraries, settings file, first status text) and arms TimerCheckWindows, whose one
  // tick, a second later, waits for the main application and runs the update.
  explicit Frm_maj(QWidget* parent = nullptr);
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
  // The wait screen of the tick (reused for every process waited for); null before the first wait.
  Frm_WaitProscenia* WaitScreen() const { return waitScreen_.get(); }

  // True once the engine reported that a restart is needed.
  bool RebootPending() const { return reboot_; }

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

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void CheckProscenia();
  void TimerCheckWindows_Timer();
  void StartUpdateRun();
  void SetStatus(const std::string& text);
  void ShowProgress(std::int64_t done, std::int64_t expected);
  void ShowEndPanel();
  void ShowDocumentationList(std::int32_t& lOld, std::int32_t& lNew);
  void ShowError(const std::string& description);

  std::unique_ptr<Ui::Frm_maj> ui_;
  QTimer timerCheckWindows_;
  StatusTextListener listener_;
  std::unique_ptr<Frm_WaitProscenia> waitScreen_;
  std::unique_ptr<DocumentationList> documentation_;
  bool reboot_ = false;
  bool shutDown_ = false;
  std::vector<std::string> selectedFiles_{std::string()};
};

}  // namespace maj::app
