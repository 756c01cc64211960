#include "app/message_box.h"

#include <QWidget>

namespace maj::app {
namespace {

// A box's own style sheet wins over any it would inherit from its parent screen (whose labels are white on
// dark blue), so its text stays dark on light whatever window it is shown over.
constexpr const char* kMessageBoxStyle = R"(
QMessageBox { background-color: #f4f6fa; border: 1px solid #7d8da8; }
QMessageBox QLabel { color: #14233c; background-color: transparent; }
QMessageBox #qt_msgbox_informativelabel { color: #44546e; }
)";

QString BoxTitle(const QWidget* parent) {
  const QString title = parent ? parent->window()->windowTitle() : QString();
  return title.isEmpty() ? QStringLiteral("Mise à jour Proscenia") : title;
}

}  // namespace

std::unique_ptr<QMessageBox> MakeMessageBox(QWidget* parent, QMessageBox::Icon icon, const QString& text,
                                            const QString& detail) {
  auto box = std::make_unique<QMessageBox>(icon, BoxTitle(parent), text, QMessageBox::Ok, parent);
  box->setObjectName(QStringLiteral("MessageBox"));
  box->setStyleSheet(kMessageBoxStyle);
  // Shown under the text rather than behind a "details" button, whose caption would be Qt's English one.
  if (!detail.isEmpty()) box->setInformativeText(detail);
  return box;
}

void ShowErrorBox(QWidget* parent, const QString& text, const QString& detail) {
  MakeMessageBox(parent, QMessageBox::Critical, text, detail)->exec();
}

void ShowInformationBox(QWidget* parent, const QString& text) {
  MakeMessageBox(parent, QMessageBox::Information, text)->exec();
}

}  // namespace maj::app
