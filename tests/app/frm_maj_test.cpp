// The main screen driven end to end on the offscreen platform: a real database, real processes, real files,
// the session on its worker thread.
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
#include "tests/engine/install_test_support.h"
#include "tests/support/pe_fixtures.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_database.h"
#include "transfer/cls_file.h"

namespace maj::app {
namespace {

namespace fs = std::filesystem;
using engine::testing::InstallMachine;
using Lines = std::vector<std::string>;
using session::SessionState;
using session::StateKind;

// Runs the event loop until `done` holds, for at most `seconds`.
bool WaitUntil(const std::function<bool()>& done, int seconds = 30) {
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
  Lines texts;

 private:
  QTimer timer_;
};

// The status texts a screen rendered, in order, with "<attente>" where a wait screen was shown, and the
// outcome of its session.
class StateRecorder {
 public:
  explicit StateRecorder(Frm_maj& screen) : screen_(screen) {
    QObject::connect(&screen, &Frm_maj::StateRendered, [this](const SessionState& state) {
      if (state.kind == StateKind::Status) Add(state.text);
      if (state.kind == StateKind::Progress && state.done < state.expected) ++unfinishedProgress;
      if (state.kind == StateKind::Ended) {
        ended = true;
        outcome = state.outcome;
        connectionOpenAtEnd = db::SharedConnection().IsOpen();
      }
    });
    QObject::connect(&poll_, &QTimer::timeout, [this] {
      Frm_WaitProscenia* wait = screen_.WaitScreen();
      if (wait && wait->isVisible() && !waitSeen_) Add("<attente>");
      waitSeen_ = wait && wait->isVisible();
    });
    poll_.start(20);
  }
  Lines shown;
  int unfinishedProgress = 0;
  bool ended = false;
  bool connectionOpenAtEnd = false;
  session::Outcome outcome = session::Outcome::Failed;

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
  }
  void TearDown() override { db::CloseDatabase(); }

  // Publishes `content` as `nom` for Windows XP, as the publishing panel stores a plain file.
  void Publish(const std::string& nom, const std::string& content, std::int16_t type = 0) {
    transfer::cls_File record;
    record.SetPath(files_.WriteFile(nom, content));
    record.SetNom(nom);
    record.SetCurrentVersion("013.001.000.010");
    record.SetTypeFichier(type);
    record.SetWXP(true);
    record.Upload();
  }

  // A package taken at every check (its condition is never met), installed in key order.
  void InsertPackage(const std::string& nom, const std::string& dataSql, int action1 = 0,
                     const std::string& actionData1 = "") {
    database_.Execute("INSERT INTO Fichier64 (NOM, DATA, WINXP, `condition`, typeCondition, action1, actionData1) "
                      "VALUES ('" + nom + "', " + dataSql + ", -1, 'toujours', 3, " + std::to_string(action1) +
                      ", '" + actionData1 + "')");
  }

  InstallMachine machine_;
  testing::TestDatabase database_;
  testing::TempFolder files_;
  MessageBoxWatcher messages_;
};

TEST_F(FrmMajTest, TheWindowWaitsForTheMainApplicationAndShowsTheStatusLinesOfAnUnattendedRun) {
  Publish("rapport.ocx", "component", 2);
  Publish("planning.dll", "library");
  machine_.InstallRegsvr32();
  QProcess mainApplication;
  mainApplication.start("bash", {"-c", "exec -a Orv_Spec.exe sleep 2"});
  ASSERT_TRUE(mainApplication.waitForStarted());
  db::CloseDatabase();  // the session opens its own
  Lines window;
  {
    Frm_maj screen;
    StateRecorder recorder(screen);
    screen.show();
    ASSERT_TRUE(WaitUntil([&] { return screen.FrameEnd()->isVisible(); })) << ::testing::PrintToString(recorder.shown);
    EXPECT_EQ(mainApplication.state(), QProcess::NotRunning);
    ASSERT_GE(recorder.shown.size(), 3u);
    EXPECT_EQ(Lines(recorder.shown.begin(), recorder.shown.begin() + 3),
              (Lines{"Vérifie si Proscenia est lancé", "<attente>", "Prêt pour la mise à jour"}));
    window = recorder.shown;
    window.erase(window.begin() + 1);
    EXPECT_TRUE(recorder.connectionOpenAtEnd);
  }
  EXPECT_FALSE(db::SharedConnection().IsOpen());
  EXPECT_EQ(testing::ReadFileText(machine_.bin() + "/rapport.ocx"), "component");

  // The same rows, fetched again by `maj --unattended` from a copy of the program in the installation.
  fs::remove(machine_.bin() + "/rapport.ocx");
  fs::remove(machine_.bin() + "/planning.dll");
  fs::copy_file(MAJ_PROGRAM, machine_.app() + "/maj");
  QProcess unattended;
  unattended.start(QString::fromStdString(machine_.app() + "/maj"), {"--unattended"});
  ASSERT_TRUE(unattended.waitForFinished(60000));
  EXPECT_EQ(unattended.exitCode(), 0) << unattended.readAllStandardError().toStdString();
  Lines lines;
  for (const QByteArray& line : unattended.readAllStandardOutput().split('\n')) {
    if (line.size() > 20) lines.push_back(line.mid(20).toStdString());  // after the time stamp
  }
  EXPECT_EQ(lines, window);
  EXPECT_EQ(lines, (Lines{"Vérifie si Proscenia est lancé", "Prêt pour la mise à jour", "Vérification des versions",
                          "Récupération des fichiers", "Récupération de rapport.ocx", "Récupération de planning.dll",
                          "Traitement de rapport.ocx", "Inscription au registre de rapport.ocx",
                          "Traitement de planning.dll", "Mise à jour terminée"}));
  EXPECT_TRUE(messages_.texts.empty()) << messages_.texts.front();
}

TEST_F(FrmMajTest, ClosingWhileAPackageIsFetchedStopsWithNothingInstalledThenCloses) {
  machine_.Write(machine_.bin() + "/gros.bin", "installed copy");
  InsertPackage("gros.bin", "REPEAT('x', 48 * 1024 * 1024)");
  db::CloseDatabase();
  Frm_maj screen;
  StateRecorder recorder(screen);
  screen.show();
  ASSERT_TRUE(WaitUntil([&] { return recorder.unfinishedProgress > 0; }));
  screen.close();
  // The window stays until the session has stopped; the status line says so meanwhile.
  EXPECT_TRUE(screen.isVisible());
  EXPECT_EQ(screen.LabelStatut()->text().toStdString(), session::kStoppingText);
  ASSERT_TRUE(WaitUntil([&] { return !screen.isVisible(); }));
  EXPECT_EQ(recorder.outcome, session::Outcome::Stopped);
  EXPECT_TRUE(recorder.connectionOpenAtEnd);
  EXPECT_EQ(testing::ReadFileText(machine_.bin() + "/gros.bin"), "installed copy");
  EXPECT_FALSE(fs::exists(machine_.working()));
  EXPECT_FALSE(screen.RebootPending());
  EXPECT_TRUE(messages_.texts.empty()) << messages_.texts.front();
}

TEST_F(FrmMajTest, ClosingDuringAPostInstallProgramLetsItFinishAndInstallsNothingAfterIt) {
  InsertPackage("setup.sh", "CONCAT('#!/bin/sh', CHAR(10), 'sleep 1; echo fini > ../setup-done.txt')", 3,
                "%MAJ%\\\\setup.sh");
  InsertPackage("notes.txt", "'notes'");
  db::CloseDatabase();
  Frm_maj screen;
  StateRecorder recorder(screen);
  screen.show();
  ASSERT_TRUE(WaitUntil([&] { return !recorder.shown.empty() && recorder.shown.back() == "Traitement de setup.sh"; }));
  screen.close();
  EXPECT_TRUE(screen.isVisible());
  ASSERT_TRUE(WaitUntil([&] { return !screen.isVisible(); }));
  EXPECT_EQ(testing::ReadFileText(machine_.app() + "/setup-done.txt"), "fini\n");
  EXPECT_FALSE(fs::exists(machine_.bin() + "/notes.txt"));
  EXPECT_EQ(recorder.outcome, session::Outcome::Stopped);
  EXPECT_TRUE(messages_.texts.empty()) << messages_.texts.front();
}

TEST_F(FrmMajTest, AFileInUseTurnsTheLineRedAndTheRestartIsAskedForOnceAtClose) {
  Publish("planning.dll", "new copy", 2);
  machine_.Write(machine_.bin() + "/planning.dll", "old copy");
  machine_.InstallRegsvr32();
  engine::testing::FileInUse inUse("planning.dll");
  platform::ScopedFileOperationsOverride override(inUse);
  db::CloseDatabase();
  {
    Frm_maj screen;
    StateRecorder recorder(screen);
    screen.show();
    ASSERT_TRUE(WaitUntil([&] { return screen.FrameEnd()->isVisible(); }));
    EXPECT_EQ(recorder.shown.back(), "Mise à jour terminéeVous devez redémarrer pour terminer la mise à jour");
    EXPECT_EQ(screen.LabelStatut()->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_EQ(machine_.PendingMoves().size(), 2u);
    screen.LabelQuitter_Click();
    EXPECT_FALSE(screen.isVisible());
    screen.close();
  }
  EXPECT_EQ(messages_.texts, Lines{"Vous devez redémarrer pour terminer l'installation"});
}

TEST_F(FrmMajTest, ThePublishingPanelStoresEachRowWithTheTicksClicked) {
  for (const char* name : {"Rapport.OCX", "Orvane.Outils.dll", "Planning.dll"}) {
    fs::copy_file(testing::PeFixture("full.dll"), files_.str() + "/" + name);
  }
  db::CloseDatabase();
  Frm_maj screen;
  StateRecorder recorder(screen);
  screen.show();
  ASSERT_TRUE(WaitUntil([&] { return screen.FrameEnd()->isVisible(); }));
  screen.LabelEnvoyerDesFichiers_Click();
  ASSERT_TRUE(screen.FrameUL()->isVisible());
  screen.AddSelectedFiles(files_.str() + '\0' + "Rapport.OCX" + '\0' + "Orvane.Outils.dll" + '\0' + "Planning.dll");
  QTableWidget& grid = *screen.VSFlexGrid();
  ASSERT_EQ(grid.rowCount(), 3);
  const auto click = [&](int row, int column) {
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.visualItemRect(grid.item(row, column)).center());
  };
  click(2, 2);  // planning.dll: Register off, Codebase on
  click(2, 4);
  click(1, 9);  // orvane.outils.dll: not for Windows XP
  click(0, 1);  // a version cell is no tick box
  EXPECT_EQ(grid.item(0, 1)->text(), "13.1.0.10");

  recorder.shown.clear();
  screen.LabelSendFiles_Click();
  ASSERT_TRUE(WaitUntil([&] { return !recorder.shown.empty() && recorder.shown.back() == "Envoi des FICHIERs terminé"; }));
  EXPECT_EQ(recorder.shown, (Lines{"Compression de rapport.ocx", "Mise en base de rapport.ocx",
                                   "Compression de orvane.outils.dll", "Mise en base de orvane.outils.dll",
                                   "Compression de planning.dll", "Mise en base de planning.dll",
                                   "Envoi des FICHIERs terminé"}));
  EXPECT_EQ(database_.Query("SELECT NOM, VERSION, TYPE, WINXP, WINME FROM Fichier64 ORDER BY NOM"),
            (std::vector<std::vector<std::optional<std::string>>>{
                {"orvane.outils.dll", "013.001.000.010", "64", "0", "-1"},
                {"planning.dll", "013.001.000.010", "1", "-1", "-1"},
                {"rapport.ocx", "013.001.000.010", "2", "-1", "-1"}}));
  EXPECT_TRUE(messages_.texts.empty()) << messages_.texts.front();
}

}  // namespace
}  // namespace maj::app
