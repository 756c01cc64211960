#pragma once
// The program's message boxes: one OK button, a title of the program, and a look of their own that no style
// sheet of the screen they are shown over can change (dark text on a light ground).
#include <QMessageBox>
#include <QString>

#include <memory>

class QWidget;

namespace maj::app {

// A box showing `text` over `parent` (null: on its own), with `icon` and one OK button; a non-empty `detail`
// (a driver's or library's own words) is shown under the text. Not shown yet.
std::unique_ptr<QMessageBox> MakeMessageBox(QWidget* parent, QMessageBox::Icon icon, const QString& text,
                                            const QString& detail = {});

// Shows an error box modally and returns once the user has pressed OK.
void ShowErrorBox(QWidget* parent, const QString& text, const QString& detail = {});

// Shows an information box modally and returns once the user has pressed OK.
void ShowInformationBox(QWidget* parent, const QString& text);

}  // namespace maj::app
