#include "app/orv_frm.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace maj::app {
namespace {

TEST(OrvFrmTest, PropertiesLayoutAndCloseRequests) {
  QWidget screen;
  screen.resize(500, 300);
  Orv_Frm bar(&screen);
  bar.ReadProperties({});
  EXPECT_EQ(bar.Caption(), "Proscenia");
  EXPECT_EQ(bar.HauteurBandeau(), 66);
  EXPECT_EQ(bar.Pic_BandeauBleu()->height(), 66);
  QVariantMap written;
  bar.WriteProperties(written);
  EXPECT_TRUE(written.isEmpty());

  bar.ReadProperties({{"Caption", "Mise à jour Proscenia"}, {"HauteurBandeau", 40}});
  bar.WriteProperties(written);
  EXPECT_EQ(written.value("Caption").toString(), "Mise à jour Proscenia");
  EXPECT_EQ(written.value("HauteurBandeau").toInt(), 40);
  EXPECT_EQ(bar.Pic_BandeauBleu()->height(), 40);

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
