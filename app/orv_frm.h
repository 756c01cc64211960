#pragma once
// The title bar of every frameless screen: the caption, a close image that turns red under the mouse, the
// blue banner below, window drag by the bar. It stretches over its container and sits behind its siblings.
#include <QWidget>

#include <cstdint>
#include <memory>

#include <QVariantMap>

namespace Ui {
class Orv_Frm;
}

namespace maj::app {

class Orv_Frm : public QWidget {
  Q_OBJECT

 public:
  static constexpr std::int16_t kDefaultHauteurBandeau = 66;
  static constexpr int kCloseImageMarginTwips = 50;  // close images sit this far from the right edge

  // Lays itself over `parent` (the whole container but its last 10 pixels of height).
  explicit Orv_Frm(QWidget* parent);
  ~Orv_Frm() override;

  // The text shown by Lbl_Titre ("Proscenia" by default).
  QString Caption() const;
  void SetCaption(const QString& caption);

  // The banner's height in pixels (66 by default).
  std::int16_t HauteurBandeau() const { return hauteurBandeau_; }
  void SetHauteurBandeau(std::int16_t height);

  // The properties a screen keeps for the control: "HauteurBandeau" then "Caption", each taking its default
  // when absent; a value equal to its default is not written.
  void ReadProperties(const QVariantMap& bag);
  void WriteProperties(QVariantMap& bag) const;

  // The child elements, for the screens and their tests.
  QWidget* Pic_Barre() const;
  QWidget* Pic_BandeauBleu() const;
  QWidget* Img_Fermer() const;
  QWidget* Img_FermerRouge() const;

 signals:
  // The user clicked a close image; the control closes nothing itself.
  void QueryUnload();

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ShowRedClose(bool red);
  void Layout();

  std::unique_ptr<Ui::Orv_Frm> ui_;
  std::int16_t hauteurBandeau_ = kDefaultHauteurBandeau;
};

}  // namespace maj::app
