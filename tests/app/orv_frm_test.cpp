#include "app/orv_frm.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace maj::app {
namespace {

// The banner's height and the properties written back are the program's constants (it only reads a caption).
TEST(OrvFrmTest, CaptionLayoutAndCloseRequests) {
  QWidget screen;
  screen.resize(500, 300);
  Orv_Frm bar(&screen);
  EXPECT_EQ(bar.Caption(), "Proscenia");
  bar.ReadProperties({{"Caption", "Mise à jour Proscenia"}});
  EXPECT_EQ(bar.Caption(), "Mise à jour Proscenia");

  screen.show();
  screen.resize(640, 400);
  EXPECT_EQ(bar.geometry(), QRect(0, 0, 640, 390));
  EXPECT_EQ(bar.Img_Fermer()->geometry().right() + 1, 640 - 3) << "50 twips, 15 to the pixel";
  EXPECT_EQ(bar.Img_FermerRouge()->x(), bar.Img_Fermer()->x());

  QSignalSpy closeRequests(&bar, &Orv_Frm::QueryUnload);
  QTest::mouseClick(bar.Img_Fermer(), Qt::LeftButton);
  bar.Img_FermerRouge()->show();
  QTest::mouseClick(bar.Img_FermerRouge(), Qt::LeftButton);
  QTest::mouseClick(bar.Pic_Barre(), Qt::LeftButton, {}, QPoint(20, 10));
  EXPECT_EQ(closeRequests.count(), 2);
  EXPECT_TRUE(bar.Img_Fermer()->isVisible());  // a press on the bar shows the normal close image
  EXPECT_FALSE(bar.Img_FermerRouge()->isVisible());
}

}  // namespace
}  // namespace maj::app
