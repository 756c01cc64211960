// The end panel's documentation grid filled from the real maj-doc-service on the loopback, and the click on
// its "télécharger" cells.
#include "app/documentation_list.h"

#include <QHeaderView>
#include <QTableWidget>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <memory>

#include "docs/documentation_service.h"
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

  void Show(std::int32_t lOld = 0, std::int32_t lNew = 999999) { list.ShowDocumentationList(lOld, lNew); }

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
  EXPECT_EQ(vsf->horizontalHeaderItem(1)->text(), "Libellé");
  EXPECT_EQ(vsf->horizontalHeaderItem(2)->text(), "Version");
  EXPECT_TRUE(vsf->isColumnHidden(0));
  EXPECT_EQ(vsf->columnWidth(1), 267);
  EXPECT_EQ(vsf->columnWidth(2), 67);
  EXPECT_EQ(vsf->columnWidth(3), 133);

  std::int32_t lOld = 130109, lNew = 130110;
  list.ShowDocumentationList(lOld, lNew);
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

TEST_F(DocumentationListTest, AClickOnADownloadCellSavesThatDocument) {
  const std::string bytes("%PDF\xff\xfe\x00\x80 Nouveaut\xe9s", 20);
  documents.WriteFile("12.pdf", bytes);
  Serve("12|Nouveautés de la version|13.01\n99|Absent|13.01\n");
  Show();
  ASSERT_EQ(vsf->rowCount(), 2);

  TempFolder saved;
  std::vector<QString> proposed, messages;
  QString answer;
  list.SaveDialog = [&](QWidget*, const QString& name) {
    proposed.push_back(name);
    return answer;
  };
  list.ShowMessage = [&](QWidget*, const QString& text) { messages.push_back(text); };

  answer = QString::fromStdString(saved.str() + "/choisi.pdf");
  ClickCell(0, 1);
  ClickCell(0, 2);
  QTest::mouseClick(vsf->horizontalHeader()->viewport(), Qt::LeftButton, {},
                    QPoint(vsf->horizontalHeader()->sectionViewportPosition(3) + 5, 5));
  EXPECT_TRUE(proposed.empty()) << "the header and columns 0 to 2 do nothing";

  ClickCell(0, 3);
  EXPECT_EQ(proposed, std::vector<QString>{"Nouveautés de la version"});
  EXPECT_EQ(ReadFileText(saved.str() + "/choisi.pdf"), bytes);
  EXPECT_EQ(messages, std::vector<QString>{"terminé"});

  answer.clear();
  ClickCell(0, 3);
  answer = QString::fromStdString(saved.str() + "/absent.pdf");
  ClickCell(1, 3);
  EXPECT_EQ(proposed.size(), 3u);
  EXPECT_EQ(messages.size(), 1u) << "a cancelled dialog and a failed download show nothing";
  EXPECT_FALSE(std::filesystem::exists(saved.str() + "/absent.pdf"));
}

}  // namespace
}  // namespace maj::app
