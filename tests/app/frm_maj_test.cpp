// The main screen driven end to end on the offscreen platform: a real database, real processes, real files.
#include "app/frm_maj.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/frm_wait_proscenia.h"
#include "db/connection.h"
#include "db/database.h"
#include "db/update_table.h"
#include "platform/file_operations.h"
#include "platform/text.h"
#include "tests/engine/install_test_support.h"
#include "tests/support/pe_fixtures.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_database.h"

namespace maj::app {
namespace {

using engine::testing::InstallMachine;

// Runs the event loop until `done` holds, for at most `seconds`.
bool WaitUntil(const std::function<bool()>& done, int seconds = 20) {
  for (int waited = 0; !done() && waited < seconds * 100; ++waited) QTest::qWait(10);
  return done();
}

// Answers every message box as it appears and keeps its text.
class MessageBoxWatcher {
 public:
  MessageBoxWatcher() {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      for (QWidget* window : QApplication::topLevelWidgets()) {
        if (auto* box = qobject_cast<QMessageBox*>(window); box && box->isVisible()) {
          texts.push_back(box->text().toStdString());
          box->accept();
        }
      }
    });
    timer_.start(20);
  }
  std::vector<std::string> texts;

 private:
  QTimer timer_;
};

// Keeps each text the status line is painted with, and marks each wait screen shown as "<attente>".
class ScreenRecorder : public QObject {
 public:
  explicit ScreenRecorder(Frm_maj& screen) : screen_(screen) {
    screen.LabelStatut()->installEventFilter(this);
    QObject::connect(&poll_, &QTimer::timeout, [this] {
      Frm_WaitProscenia* wait = screen_.WaitScreen();
      if (wait && wait->isVisible() && !waitSeen_) Add("<attente>");
      waitSeen_ = wait && wait->isVisible();
    });
    poll_.start(20);
  }
  std::vector<std::string> shown;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) Add(screen_.LabelStatut()->text().toStdString());
    return false;
  }

 private:
  void Add(const std::string& text) {
    if (shown.empty() || shown.back() != text) shown.push_back(text);
  }
  Frm_maj& screen_;
  QTimer poll_;
  bool waitSeen_ = false;
};

class FrmMajTest : public ::testing::Test {
 protected:
  void SetUp() override {
    machine_.Write(machine_.app() + "/velandre.ini", "");
    machine_.Write(machine_.app() + "/Orv_Spec.ini", "[DSN]\ndsnBill=" + database_.DataSourceName() + "\n");
    database_.ConnectShared();
    db::EnsureUpdateTable();
    db::CloseDatabase();
  }

  // Shows a new main screen and waits until its run has shown the end panel.
  void RunScreen(Frm_maj& screen, ScreenRecorder& recorder) {
    screen.show();
    ASSERT_TRUE(WaitUntil([&] { return screen.FrameEnd()->isVisible(); })) << ::testing::PrintToString(recorder.shown);
  }

  InstallMachine machine_;
  testing::TestDatabase database_;
  testing::TempFolder files_;
  MessageBoxWatcher messages_;
};

TEST_F(FrmMajTest, PublishFromTheGridThenAnUpdateRunInstallsTheRows) {
  machine_.Write(machine_.app() + "/Orv_Spec.exe", "main application");
  machine_.Write(machine_.working() + "/left-over.txt", "from an earlier run");
  std::filesystem::copy_file(testing::PeFixture("full.dll"), files_.str() + "/Rapport.OCX");
  std::filesystem::copy_file(testing::PeFixture("full.dll"), files_.str() + "/Orvane.Outils.dll");
  std::filesystem::copy_file(testing::PeFixture("full.dll"), files_.str() + "/Planning.dll");
  files_.WriteFile("libmysql.dll", "no version");

  // An instance of the main application runs for a moment: the run waits for it.
  QProcess mainApplication;
  mainApplication.start("bash", {"-c", "exec -a Orv_Spec.exe sleep 2.5"});
  ASSERT_TRUE(mainApplication.waitForStarted());
  {
    Frm_maj screen;
    ScreenRecorder recorder(screen);
    RunScreen(screen, recorder);
    const std::vector<std::string> expected = {"Vérifie si Proscenia est lancé", "<attente>", "Prêt pour la mise à jour",
                                               "Vérification des versions", "Récupération des fichiers",
                                               "Mise à jour terminée"};
    EXPECT_EQ(recorder.shown, expected);
    EXPECT_EQ(mainApplication.state(), QProcess::NotRunning);
    EXPECT_FALSE(std::filesystem::exists(machine_.working()));
    EXPECT_FALSE(screen.FrameUL()->isVisible());

    screen.LabelEnvoyerDesFichiers_Click();
    QTableWidget& grid = *screen.VSFlexGrid();
    ASSERT_TRUE(screen.FrameUL()->isVisible());
    ASSERT_EQ(grid.rowCount(), 1);
    EXPECT_EQ(grid.item(0, 0)->text(), "Orv_Spec.exe");
    screen.AddSelectedFiles(files_.str() + '\0' + "Rapport.OCX" + '\0' + "libmysql.dll" + '\0' + "Orvane.Outils.dll" + '\0' +
                           "Planning.dll");
    ASSERT_EQ(grid.rowCount(), 5);
    EXPECT_EQ(grid.item(1, 0)->text(), "rapport.ocx");
    EXPECT_EQ(grid.item(1, 1)->text(), "13.1.0.10");
    EXPECT_EQ(grid.item(3, 5)->text().toStdString(), platform::ToLowerCase(files_.str()) + "/");
    const auto ticks = [&](int row) {
      std::string text;
      for (int column = 2; column < 15; ++column) text += column == 5 ? "|" : grid.item(row, column)->text().toStdString();
      return text;
    };
    EXPECT_EQ(ticks(1), "-100|-1-1-1-1-1-1-1-1-1");
    EXPECT_EQ(ticks(2), "000|-1-1-1-1-1-1-1-1-1");
    EXPECT_EQ(ticks(3), "0-10|-1-1-1-1-1-1-1-1-1");

    // Clicks: a tick box flips (twice restores it), the version cell does not; a double click drops a row.
    const auto click = [&](int row, int column, bool twice = false) {
      const QPoint at = grid.visualItemRect(grid.item(row, column)).center();
      QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, at);
      if (twice) QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, at);
    };
    click(3, 4);  // Codebase
    click(3, 1);
    click(3, 13);
    click(3, 13);
    EXPECT_EQ(ticks(3), "0-1-1|-1-1-1-1-1-1-1-1-1");
    EXPECT_EQ(grid.item(3, 1)->text(), "13.1.0.10");
    click(2, 0, true);
    ASSERT_EQ(grid.rowCount(), 4);
    grid.item(2, 9)->setText("0");  // the assembly is not for Windows XP: the run below leaves it

    const std::size_t before = recorder.shown.size();
    screen.LabelSendFiles_Click();
    EXPECT_EQ(std::vector<std::string>(recorder.shown.begin() + before, recorder.shown.end()),
              (std::vector<std::string>{"Compression de Orv_Spec.exe", "Mise en base de Orv_Spec.exe",
                                        "Compression de rapport.ocx", "Mise en base de rapport.ocx",
                                        "Compression de orvane.outils.dll", "Mise en base de orvane.outils.dll",
                                        "Compression de planning.dll", "Mise en base de planning.dll",
                                        "Envoi des FICHIERs terminé"}));
    EXPECT_EQ(database_.Query("SELECT NOM, VERSION, TYPE, WINXP, WINME FROM Fichier64 ORDER BY NOM"),
              (std::vector<std::vector<std::optional<std::string>>>{
                  {"orvane.outils.dll", "013.001.000.010", "65", "0", "-1"},
                  {"Orv_Spec.exe", "", "0", "-1", "-1"},
                  {"planning.dll", "013.001.000.010", "2", "-1", "-1"},
                  {"rapport.ocx", "013.001.000.010", "2", "-1", "-1"}}));
    screen.close();
  }
  EXPECT_TRUE(messages_.texts.empty()) << messages_.texts.front();

  // The old copy of planning.dll is in use: its replacement waits for the next start.
  machine_.Write(machine_.bin() + "/planning.dll", "old copy");
  engine::testing::FileInUse inUse("planning.dll");
  platform::ScopedFileOperationsOverride override(inUse);
  machine_.InstallRegsvr32();
  {
    Frm_maj screen;
    ScreenRecorder recorder(screen);
    RunScreen(screen, recorder);
    EXPECT_EQ(recorder.shown.back(), "Mise à jour terminéeVous devez redémarrer pour terminer la mise à jour");
    EXPECT_NE(std::find(recorder.shown.begin(), recorder.shown.end(), "Inscription au registre de rapport.ocx"),
              recorder.shown.end()) << ::testing::PrintToString(recorder.shown);
    EXPECT_EQ(screen.LabelStatut()->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_TRUE(screen.RebootPending());
    EXPECT_TRUE(std::filesystem::exists(machine_.bin() + "/rapport.ocx"));
    EXPECT_FALSE(std::filesystem::exists(machine_.bin() + "/orvane.outils.dll"));
    EXPECT_EQ(machine_.PendingMoves().size(), 2u);
    screen.LabelQuitter_Click();
    screen.close();
  }
  EXPECT_EQ(messages_.texts, std::vector<std::string>{"Vous devez redémarrer pour terminer l'installation"});
}

}  // namespace
}  // namespace maj::app
