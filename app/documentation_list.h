#pragma once
// The end panel's documentation list: the grid `vsf` filled from the documentation service, and a click on a
// row's "télécharger" cell saving that document where the user chooses.
#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>

#include "docs/soap_client.h"

class QTableWidget;
class QWidget;

namespace maj::app {

// Grid rows as the program counts them: row 0 is the grid's header (the table's horizontal header), data row
// n is the table's row n - 1.
class DocumentationList : public QObject {
  Q_OBJECT

 public:
  // Fills and handles `vsf` (owned by the screen); dialogs and message boxes open over `parent`. A click on
  // a cell of `vsf` is handled from now on.
  DocumentationList(QTableWidget* vsf, QWidget* parent);

  // Fills `vsf` with the documents about the versions lOld..lNew (0 and 999999 for all): four columns
  // (identifier hidden, "Libellé", "Version", "télécharger"), one row per entry in the order received, and
  // shows the grid when there is at least one. An empty list leaves the header alone and the grid's
  // visibility as it was. Any failure (service unreachable or too slow, a bad answer, an entry of fewer than
  // three fields) hides the grid without a message, leaving the rows already written in it.
  void ShowDocumentationList(std::int32_t& lOld, std::int32_t& lNew);

  // The save dialog `CommonDialogdoc`, shown with the proposed file name; returns the chosen path, or ""
  // when the user cancels. Defaults to a QFileDialog.
  std::function<QString(QWidget* parent, const QString& proposedName)> SaveDialog;
  // A message box with a single OK button. Defaults to a QMessageBox.
  std::function<void(QWidget* parent, const QString& text)> ShowMessage;
  // How long the screen waits for the service.
  docs::TimeLimits Limits;

 private:
  // A click on the cell `row`, `column` of the table: column 3 of a data row saves that row's document.
  void vsf_Click(int row, int column);

  QTableWidget* vsf_;
  QWidget* parent_;
};

}  // namespace maj::app
