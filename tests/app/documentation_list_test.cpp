// The end panel's documentation grid filled from the real maj-doc-service on the loopback, and the click on
// its "télécharger" cells; the service is called off the GUI thread.
#include "app/documentation_list.h"

#include <QHeaderView>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>

#include "docs/documentation_service.h"
#include "docs/save_name.h"
#include "tests/support/doc_service_process.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/temp_folder.h"

namespace maj::app {
namespace {

using maj::testing::ReadFileText;
using maj::testing::TempFolder;

// The end panel: the grid among other controls, shown on the offscreen platform.
class DocumentationListTest : public ::testing::Test {
 protected:
  DocumentationListTest() : vsf(new QTableWidget(&panel)), list(vsf, &panel) {
    auto* layout = new QVBoxLayout(&panel);
    layout->addWidget(vsf);
    panel.resize(600, 400);
    panel.show();
    list.Limits = {std::chrono::milliseconds(500), std::chrono::milliseconds(500), std::chrono::milliseconds(500),
                   std::chrono::milliseconds(2000)};
  }

  // Serves `index` (and the documents already written to `documents`) as MAJ_DOC_SERVICE_URL.
  void Serve(const std::string& index) {
    documents.WriteFile("index.txt", index);
    if (!service) service = std::make_unique<testing::DocServiceProcess>(documents.str());
    environment.Set(docs::kWsdlLocationVariable, service->WsdlUrl());
  }

  // Asks for the list and waits for its answer, which never arrives within the call.
  void Show(std::int32_t lOld = 0, std::int32_t lNew = 999999) {
    QSignalSpy finished(&list, &DocumentationList::ListingFinished);
    list.ShowDocumentationList(lOld, lNew);
    EXPECT_EQ(finished.count(), 0) << "the list is awaited off the GUI thread";
    EXPECT_TRUE(finished.wait(10000));
  }

  // Clicks a download cell and waits for the download's end when one starts.
  void ClickDownload(int row) {
    QSignalSpy finished(&list, &DocumentationList::DownloadFinished);
    const size_t dialogs = proposed.size();
    ClickCell(row, 3);
    if (proposed.size() > dialogs && !answer.isEmpty()) {
      EXPECT_TRUE(finished.wait(10000));
    }
  }

  QString Text(int row, int column) const { return vsf->item(row, column) ? vsf->item(row, column)->text() : "?"; }

  void ClickCell(int row, int column) {
    const QRect cell = vsf->visualItemRect(vsf->item(row, column));
    QTest::mouseClick(vsf->viewport(), Qt::LeftButton, {}, cell.center());
  }

  QWidget panel;
  QTableWidget* vsf;
  DocumentationList list;
  TempFolder documents;
  std::unique_ptr<testing::DocServiceProcess> service;
  testing::ScopedEnvironment environment;
  std::vector<QString> proposed, messages;
  QString answer;  // the save dialog's answer
};

TEST_F(DocumentationListTest, EntriesFillRowsUnderTheHeaderAndAnyListingErrorHidesTheGrid) {
  Serve("12|Nouveautés de la version|13.01\n13|Guide|13.01\n14|Notes|12.05|extra\n");
  vsf->setVisible(false);
  Show();
  EXPECT_FALSE(vsf->isHidden());
  ASSERT_EQ(vsf->rowCount(), 3) << "no blank row after the entries";
  const QString expected[3][4] = {{"12", "Nouveautés de la version", "13.01", "télécharger"},
                                  {"13", "Guide", "13.01", "télécharger"},
                                  {"14", "Notes", "12.05", "télécharger"}};
  for (int row = 0; row < 3; ++row)
    for (int column = 0; column < 4; ++column) EXPECT_EQ(Text(row, column), expected[row][column]);
  EXPECT_TRUE(vsf->isColumnHidden(0));

  Show(130109, 130110);
  EXPECT_EQ(vsf->rowCount(), 2) << "only the documents of 13.01";
  Show(140000, 150000);
  EXPECT_EQ(vsf->rowCount(), 0);
  EXPECT_FALSE(vsf->isHidden()) << "an empty list keeps the visibility";
  vsf->setVisible(false);
  Show(140000, 150000);
  EXPECT_TRUE(vsf->isHidden());

  Serve("1|Premier|13.01\n2|Deux champs\n3|Troisième|13.01\n");
  Show();
  EXPECT_TRUE(vsf->isHidden());
  EXPECT_EQ(Text(0, 1), "Premier") << "rows already written stay";

  environment.Set(docs::kWsdlLocationVariable,
                  "http://127.0.0.1:" + std::to_string(testing::UnusedPort()) + "/service.asmx?WSDL");
  vsf->setVisible(true);
  Show();
  EXPECT_TRUE(vsf->isHidden()) << "service unreachable";

  testing::SilentServer silent;
  environment.Set(docs::kWsdlLocationVariable,
                  "http://127.0.0.1:" + std::to_string(silent.Port()) + "/service.asmx?WSDL");
  vsf->setVisible(true);
  Show();
  EXPECT_TRUE(vsf->isHidden()) << "service silent";
  EXPECT_TRUE(panel.isVisible() && panel.isEnabled());
}

TEST_F(DocumentationListTest, AClickOnADownloadCellSavesThatDocumentOrSaysWhyNot) {
  std::string bytes("%PDF\xff\xfe\x00\x80", 8);  // then many pieces of the transfer
  for (int i = 0; i < 300000; ++i) bytes.push_back(static_cast<char>(i * 131 % 256));
  documents.WriteFile("12.pdf", bytes);
  Serve("12|/etc/Nouveautés de la version|13.01\n99|Absent|13.01\n");
  Show();
  ASSERT_EQ(vsf->rowCount(), 2);

  TempFolder saved;
  list.SaveDialog = [&](QWidget*, const QString& name) {
    proposed.push_back(name);
    return answer;
  };
  list.ShowMessage = [&](QWidget*, const QString& text) { messages.push_back(text); };

  answer = QString::fromStdString(saved.WriteFile("choisi.pdf", std::string(bytes.size() + 9, 'x')));  // replaced
  ClickCell(0, 1);
  ClickCell(0, 2);
  QTest::mouseClick(vsf->horizontalHeader()->viewport(), Qt::LeftButton, {},
                    QPoint(vsf->horizontalHeader()->sectionViewportPosition(3) + 5, 5));
  EXPECT_TRUE(proposed.empty()) << "the header and columns 0 to 2 do nothing";

  ClickDownload(0);
  const std::string folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation).toStdString();
  EXPECT_EQ(proposed, std::vector<QString>{QString::fromStdString(folder + "/Nouveautés de la version")});
  EXPECT_TRUE(ReadFileText(saved.str() + "/choisi.pdf") == bytes);
  EXPECT_EQ(messages, std::vector<QString>{"terminé"});
  EXPECT_EQ(Text(0, 3), "télécharger");

  answer.clear();
  ClickDownload(0);
  answer = QString::fromStdString(saved.str() + "/absent.pdf");
  ClickDownload(1);
  EXPECT_EQ(proposed.size(), 3u);
  ASSERT_EQ(messages.size(), 2u) << "a cancelled dialog shows nothing, a failed download says why";
  EXPECT_TRUE(messages[1].startsWith("Le document n'a pas pu être enregistré : ")) << messages[1].toStdString();
  EXPECT_TRUE(messages[1].contains("No document has the identifier 99")) << messages[1].toStdString();
  EXPECT_FALSE(std::filesystem::exists(saved.str() + "/absent.pdf"));
}

TEST_F(DocumentationListTest, AListGoingAwayEndsItsOutstandingCallAtOnce) {
  testing::SilentServer silent;
  environment.Set(docs::kWsdlLocationVariable,
                  "http://127.0.0.1:" + std::to_string(silent.Port()) + "/service.asmx?WSDL");
  auto outstanding = std::make_unique<DocumentationList>(vsf, &panel);
  outstanding->Limits = {std::chrono::minutes(2), std::chrono::minutes(2), std::chrono::minutes(2),
                         std::chrono::minutes(2)};
  std::int32_t lOld = 0, lNew = 999999;
  outstanding->ShowDocumentationList(lOld, lNew);
  const auto start = std::chrono::steady_clock::now();
  outstanding.reset();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20)) << "the call is cancelled, not awaited";
}

}  // namespace
}  // namespace maj::app
