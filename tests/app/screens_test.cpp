// The screens as a person sees them and reaches them: every screen rendered on the offscreen platform and its
// text measured from the pixels (contrast, headers cut), and the end panel driven by the keyboard alone.
#include <QApplication>
#include <QFrame>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "app/documentation_list.h"
#include "app/frm_maj.h"
#include "app/frm_wait_proscenia.h"
#include "app/message_box.h"
#include "app/publishing_grid.h"
#include "docs/documentation_service.h"
#include "tests/engine/install_test_support.h"
#include "tests/support/doc_service_process.h"
#include "tests/support/temp_folder.h"

namespace maj::app {
namespace {

// Relative luminance of a colour (WCAG 2).
double Luminance(QRgb pixel) {
  const auto channel = [](int value) {
    const double c = value / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * channel(qRed(pixel)) + 0.7152 * channel(qGreen(pixel)) + 0.0722 * channel(qBlue(pixel));
}

double Contrast(QRgb a, QRgb b) {
  const double la = Luminance(a), lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// What the pixels of `region` say about its text: the background is the most frequent colour, the text's
// colour is the one farthest from it in contrast (the tenth farthest pixel: a stray pixel does not count).
// `inkLeft`..`inkRight` are the first and last pixel columns holding text, lines across the whole region
// (borders, separators) left out.
struct TextPixels {
  double contrast = 1;
  int inkLeft = -1;
  int inkRight = -1;
};

TextPixels MeasureText(const QImage& image, const QRect& region) {
  const QRect area = region.intersected(image.rect());
  std::map<QRgb, int> counts;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x) ++counts[image.pixel(x, y) | 0xff000000];
  if (counts.empty()) return {};
  const QRgb background =
      std::max_element(counts.begin(), counts.end(), [](auto& a, auto& b) { return a.second < b.second; })->first;
  std::vector<double> contrasts;
  std::vector<std::vector<bool>> ink(area.height(), std::vector<bool>(area.width()));
  for (int y = 0; y < area.height(); ++y)
    for (int x = 0; x < area.width(); ++x) {
      const double contrast = Contrast(image.pixel(area.left() + x, area.top() + y), background);
      contrasts.push_back(contrast);
      ink[y][x] = contrast >= 1.5;
    }
  std::sort(contrasts.rbegin(), contrasts.rend());
  TextPixels text{contrasts[std::min<std::size_t>(9, contrasts.size() - 1)]};
  const auto line = [](int count, int length) { return count * 10 >= length * 6; };
  std::vector<bool> rowIsLine(area.height());
  for (int y = 0; y < area.height(); ++y) rowIsLine[y] = line(std::count(ink[y].begin(), ink[y].end(), true), area.width());
  for (int x = 0; x < area.width(); ++x) {
    int count = 0, lineRows = 0;
    for (int y = 0; y < area.height(); ++y) {
      if (rowIsLine[y]) ++lineRows;
      else if (ink[y][x]) ++count;
    }
    if (count == 0 || line(count, area.height() - lineRows)) continue;
    if (text.inkLeft < 0) text.inkLeft = x;
    text.inkRight = x;
  }
  return text;
}

QRect RectIn(const QWidget& top, const QWidget& widget) {
  return QRect(widget.mapTo(&top, QPoint(0, 0)), widget.size());
}

// The rendered screens: the main window with one panel shown, the wait screen over it, and both message
// boxes over it.
class ScreensTest : public ::testing::Test {
 protected:
  ScreensTest() {
    machine_.Write(machine_.app() + "/velandre.ini", "");
    screen_ = std::make_unique<Frm_maj>();
    screen_->TimerCheckWindows().stop();  // the screens alone: no run
    screen_->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(screen_.get()));
  }

  QLabel& Label(const char* name) const { return *screen_->findChild<QLabel*>(name); }

  // The end panel with three documents listed, the first "télécharger" cell selected.
  void ShowEndPanel() {
    documents_.WriteFile("index.txt", "12|Nouveautés de la version 13.01|13.01\n13|Guide de l'éditeur|13.01\n"
                                      "14|Notes de la version 12.05|12.05\n");
    service_ = std::make_unique<testing::DocServiceProcess>(documents_.str());
    qputenv(docs::kWsdlLocationVariable, QByteArray::fromStdString(service_->WsdlUrl()));
    QSignalSpy listed(&screen_->Documentation(), &DocumentationList::ListingFinished);
    screen_->LabelListeDocumentation_Click();
    EXPECT_TRUE(listed.wait(20000));
    qunsetenv(docs::kWsdlLocationVariable);
    screen_->vsf()->setCurrentCell(0, 3);
    screen_->FrameEnd()->show();
    screen_->FrameEnd()->raise();
  }

  engine::testing::InstallMachine machine_;
  testing::TempFolder documents_;
  std::unique_ptr<testing::DocServiceProcess> service_;
  std::unique_ptr<Frm_maj> screen_;
};

// One screen to render: it prepares the screen and returns the window to picture with its text regions.
struct Screen {
  const char* name;
  std::function<QWidget*(std::vector<std::pair<QString, QRect>>&)> show;
};

TEST_F(ScreensTest, EveryScreenShowsItsTextsWithContrastAndItsHeadersWhole) {
  std::unique_ptr<QMessageBox> box;
  std::unique_ptr<Frm_WaitProscenia> wait;
  const auto labels = [](QWidget& top, std::vector<std::pair<QString, QRect>>& regions,
                             std::initializer_list<const char*> names) {
    for (const char* name : names) regions.emplace_back(name, RectIn(top, *top.findChild<QWidget*>(name)));
  };
  const auto boxOf = [&](QMessageBox::Icon icon, const char* text, const char* detail,
                         std::vector<std::pair<QString, QRect>>& regions) {
    box = MakeMessageBox(screen_.get(), icon, QString::fromUtf8(text), QString::fromUtf8(detail));
    box->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(box.get()));
    labels(*box, regions, {"qt_msgbox_label"});
    if (*detail) labels(*box, regions, {"qt_msgbox_informativelabel"});
    return box.get();
  };
  const Screen screens[] = {
      {"boîte d'erreur",
       [&](auto& regions) {
         return boxOf(QMessageBox::Critical, "Connexion impossible à la source de données proscenia",
                      "[unixODBC][Driver Manager]Data source name not found", regions);
       }},
      {"boîte de redémarrage",
       [&](auto& regions) {
         return boxOf(QMessageBox::Information, "Vous devez redémarrer pour terminer l'installation", "", regions);
       }},
      {"fin de la mise à jour",
       [&](auto& regions) {
         ShowEndPanel();
         QWidget& top = *screen_;
         labels(top, regions, {"LabelStatut", "LabelTelechargez", "LabelListeDocumentation", "LabelEnvoyerDesFichiers",
                               "LabelRelancer", "LabelQuitter"});
         QTableWidget& vsf = *screen_->vsf();
         const QRect cell = vsf.visualItemRect(vsf.item(0, 3));
         regions.emplace_back("cellule choisie", QRect(vsf.viewport()->mapTo(&top, cell.topLeft()), cell.size()));
         return &top;
       }},
      {"envoi de fichiers",
       [&](auto& regions) {
         screen_->LabelEnvoyerDesFichiers_Click();
         AddGridRow(*screen_->VSFlexGrid(), machine_.bin() + "/", "rapport.ocx", session::kComponentPreset);
         labels(*screen_, regions,
                {"LabelTitreEnvoi", "LabelAutreFichiers", "LabelSendFiles", "LabelRetour", "LabelQuitterEnvoi"});
         return static_cast<QWidget*>(screen_.get());
       }},
      {"attente de Proscenia",
       [&](auto& regions) {
         screen_->FrameUL()->hide();  // no panel shows while the run waits
         wait = std::make_unique<Frm_WaitProscenia>(screen_.get());
         wait->show();
         EXPECT_TRUE(QTest::qWaitForWindowExposed(wait.get()));
         labels(*wait, regions, {"Label1", "Label"});
         return static_cast<QWidget*>(wait.get());
       }},
  };
  for (const Screen& screen : screens) {
    SCOPED_TRACE(screen.name);
    std::vector<std::pair<QString, QRect>> regions;
    QWidget* window = screen.show(regions);
    QTest::qWait(50);
    const QImage image = window->grab().toImage();
    // MAJ_SCREENS_FOLDER keeps the pictures, for a person to look at.
    if (const QString folder = qEnvironmentVariable("MAJ_SCREENS_FOLDER"); !folder.isEmpty())
      image.save(QString("%1/%2.png").arg(folder, screen.name));
    for (const auto& [name, region] : regions) {
      const double contrast = MeasureText(image, region).contrast;
      std::printf("contrast %s / %s: %.2f\n", screen.name, qPrintable(name), contrast);
      EXPECT_GE(contrast, 4.5) << name.toStdString();
    }
    if (box) box->close();
  }

  // The wait screen sits apart from the status line, framed so that it reads as a dialog over the window.
  const QImage main = screen_->grab().toImage();
  const QRect status(screen_->LabelStatut()->mapToGlobal(QPoint(0, 0)), screen_->LabelStatut()->size());
  EXPECT_FALSE(wait->frameGeometry().intersects(status));
  const QPoint below = screen_->mapFromGlobal(wait->mapToGlobal(QPoint(wait->width() / 2, wait->height() + 1)));
  const QRgb edge = wait->grab().toImage().pixel(wait->width() / 2, wait->height() - 1);
  std::printf("contrast attente / bord: %.2f\n", Contrast(edge, main.pixel(below)));
  EXPECT_GE(Contrast(edge, main.pixel(below)), 3.0);

  // Both grids' headers are whole at the default font, without a scroll bar.
  for (QTableWidget* grid : {screen_->VSFlexGrid(), screen_->vsf()}) {
    grid->parentWidget()->show();
    grid->parentWidget()->raise();
    QTest::qWait(20);
    QHeaderView& header = *grid->horizontalHeader();
    const QImage picture = header.grab().toImage();
    for (int column = 0; column < grid->columnCount(); ++column) {
      const QString text = grid->horizontalHeaderItem(column) ? grid->horizontalHeaderItem(column)->text() : QString();
      if (grid->isColumnHidden(column) || text.isEmpty()) continue;
      const QRect section(header.sectionViewportPosition(column), 0, header.sectionSize(column), header.height());
      const TextPixels ink = MeasureText(picture, section.adjusted(1, 1, -1, -1));
      const int wanted = header.fontMetrics().tightBoundingRect(text).width();
      EXPECT_GE(ink.inkRight - ink.inkLeft + 1, wanted - 2) << text.toStdString() << " cut";
      EXPECT_GE(ink.inkLeft, 1) << text.toStdString();
      EXPECT_LE(ink.inkRight, section.width() - 4) << text.toStdString();
    }
    EXPECT_FALSE(grid->horizontalScrollBar()->isVisible()) << grid->objectName().toStdString();
    const int last = grid->columnCount() - 1;
    EXPECT_EQ(header.sectionViewportPosition(last) + header.sectionSize(last), grid->viewport()->width())
        << grid->objectName().toStdString() << ": the columns fill the grid";
  }
}

// The keyboard alone: Tab reaches each link with a visible mark, Space and Enter activate, Escape closes.
TEST_F(ScreensTest, TheKeyboardAloneGoesFromTheEndPanelThroughPublishingToQuitter) {
  screen_->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(screen_.get()));
  screen_->FrameEnd()->show();
  screen_->vsf()->setFocus();
  const auto press = [this](Qt::Key key) {
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : screen_.get(), key);
  };
  // Tabs until `name` has the focus, passing through no more than `steps` widgets.
  const auto tabTo = [&](const char* name, int steps) {
    for (int step = 0; step < steps && QApplication::focusWidget() != &Label(name); ++step) press(Qt::Key_Tab);
    return QApplication::focusWidget() == &Label(name);
  };

  const QImage unfocused = Label("LabelListeDocumentation").grab().toImage();
  ASSERT_TRUE(tabTo("LabelListeDocumentation", 1)) << "Tab leaves the grid at once";
  const QImage focused = Label("LabelListeDocumentation").grab().toImage();
  int changed = 0;
  for (int y = 0; y < focused.height(); ++y)
    for (int x = 0; x < focused.width(); ++x) changed += focused.pixel(x, y) != unfocused.pixel(x, y);
  EXPECT_GE(changed, focused.width()) << "the focus shows";

  ASSERT_TRUE(tabTo("LabelEnvoyerDesFichiers", 1));
  press(Qt::Key_Space);
  ASSERT_TRUE(screen_->FrameUL()->isVisible());
  EXPECT_FALSE(screen_->FrameEnd()->isVisible()) << "Tab must not reach the panel behind";
  ASSERT_TRUE(tabTo("LabelRetour", 4));
  press(Qt::Key_Return);
  ASSERT_TRUE(screen_->FrameEnd()->isVisible());
  EXPECT_FALSE(screen_->FrameUL()->isVisible());
  ASSERT_TRUE(tabTo("LabelQuitter", 4));
  press(Qt::Key_Enter);
  EXPECT_FALSE(screen_->isVisible());

  Frm_maj again;
  again.TimerCheckWindows().stop();
  again.show();
  again.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&again));
  again.LabelEnvoyerDesFichiers_Click();
  again.VSFlexGrid()->setFocus();
  QTest::keyClick(again.VSFlexGrid(), Qt::Key_Escape);
  EXPECT_FALSE(again.isVisible()) << "Escape closes like the close image";
}

}  // namespace
}  // namespace maj::app
