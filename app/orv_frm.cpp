#include "app/orv_frm.h"

#include <QMouseEvent>
#include <QWindow>

#include "app/twips.h"
#include "ui_orv_frm.h"

// The artwork is compiled into this static library: its registration must be called, not left to a
// static initializer that the linker may drop.
static void RegisterArtwork() { Q_INIT_RESOURCE(artwork); }

namespace maj::app {

Orv_Frm::Orv_Frm(QWidget* parent) : QWidget(parent), ui_(std::make_unique<Ui::Orv_Frm>()) {
  RegisterArtwork();
  ui_->setupUi(this);
  setMouseTracking(true);
  ui_->Pic_BandeauBleu->setMouseTracking(true);
  for (QObject* child : {static_cast<QObject*>(ui_->Pic_Barre), static_cast<QObject*>(ui_->Img_Fermer),
                         static_cast<QObject*>(ui_->Img_FermerRouge), static_cast<QObject*>(ui_->Lbl_Titre),
                         static_cast<QObject*>(ui_->Pic_BandeauBleu)}) {
    child->installEventFilter(this);
  }
  ui_->Img_Fermer->setAttribute(Qt::WA_Hover);
  ui_->Img_FermerRouge->setAttribute(Qt::WA_Hover);
  if (parent) parent->installEventFilter(this);
  lower();
  Layout();
}

Orv_Frm::~Orv_Frm() = default;

QString Orv_Frm::Caption() const { return ui_->Lbl_Titre->text(); }

void Orv_Frm::SetCaption(const QString& caption) { ui_->Lbl_Titre->setText(caption); }

void Orv_Frm::SetHauteurBandeau(std::int16_t height) {
  hauteurBandeau_ = height;
  Layout();
}

void Orv_Frm::ReadProperties(const QVariantMap& bag) {
  SetHauteurBandeau(static_cast<std::int16_t>(bag.value("HauteurBandeau", kDefaultHauteurBandeau).toInt()));
  SetCaption(bag.value("Caption", QStringLiteral("Proscenia")).toString());
}

void Orv_Frm::WriteProperties(QVariantMap& bag) const {
  if (hauteurBandeau_ != kDefaultHauteurBandeau) bag.insert("HauteurBandeau", hauteurBandeau_);
  if (Caption() != QStringLiteral("Proscenia")) bag.insert("Caption", Caption());
}

QWidget* Orv_Frm::Pic_Barre() const { return ui_->Pic_Barre; }
QWidget* Orv_Frm::Pic_BandeauBleu() const { return ui_->Pic_BandeauBleu; }
QWidget* Orv_Frm::Img_Fermer() const { return ui_->Img_Fermer; }
QWidget* Orv_Frm::Img_FermerRouge() const { return ui_->Img_FermerRouge; }

void Orv_Frm::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Layout();
}

void Orv_Frm::Layout() {
  ui_->Pic_BandeauBleu->setFixedHeight(hauteurBandeau_);
  if (QWidget* container = parentWidget()) {
    const QRect wanted(0, 0, container->width(), container->height() - 10);
    if (geometry() != wanted) setGeometry(wanted);  // runs Layout again through resizeEvent
  }
  ui_->Pic_BandeauBleu->setGeometry(0, ui_->Pic_Barre->height(), width(), hauteurBandeau_);
  ui_->Pic_Barre->setGeometry(0, 0, width(), ui_->Pic_Barre->height());
  for (QWidget* image : {static_cast<QWidget*>(ui_->Img_Fermer), static_cast<QWidget*>(ui_->Img_FermerRouge)}) {
    image->move(width() - image->width() - TwipsToPixels(kCloseImageMarginTwips), image->y());
  }
}

void Orv_Frm::ShowRedClose(bool red) {
  ui_->Img_FermerRouge->setVisible(red);
  ui_->Img_Fermer->setVisible(!red);
}

void Orv_Frm::mouseMoveEvent(QMouseEvent* event) {
  ShowRedClose(false);
  QWidget::mouseMoveEvent(event);
}

bool Orv_Frm::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (watched == parentWidget()) {
    if (type == QEvent::Resize) Layout();
    return false;
  }
  const bool closeImage = watched == ui_->Img_Fermer || watched == ui_->Img_FermerRouge;
  if (watched == ui_->Img_Fermer && (type == QEvent::HoverEnter || type == QEvent::HoverMove)) {
    ShowRedClose(true);
  } else if (watched == ui_->Img_FermerRouge && type == QEvent::HoverLeave) {
    ShowRedClose(false);  // leaving the red image by the bar would otherwise keep it red
  } else if (watched == ui_->Pic_BandeauBleu && type == QEvent::MouseMove) {
    ShowRedClose(false);
  } else if (closeImage && type == QEvent::MouseButtonPress) {
    return true;
  } else if (closeImage && type == QEvent::MouseButtonRelease) {
    auto* release = static_cast<QMouseEvent*>(event);
    if (static_cast<QWidget*>(watched)->rect().contains(release->position().toPoint())) emit QueryUnload();
    return true;
  } else if (watched == ui_->Lbl_Titre && (type == QEvent::MouseButtonPress || type == QEvent::MouseMove ||
                                           type == QEvent::MouseButtonRelease)) {
    return true;  // the caption reacts to nothing and lets nothing through to the bar
  } else if (watched == ui_->Pic_Barre && type == QEvent::MouseButtonPress) {
    ShowRedClose(false);
    if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
      if (QWindow* handle = window()->windowHandle()) handle->startSystemMove();
    }
    return true;
  }
  return false;
}

}  // namespace maj::app
