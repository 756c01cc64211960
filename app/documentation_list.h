#pragma once
// The end panel's documentation list: the grid `vsf` filled from the documentation service, and a click on a
// row's "télécharger" cell saving that document where the user chooses. The service is called on worker
// threads: the window keeps answering while the list or a document is on its way.
#include <QObject>
#include <QSet>
#include <QString>

#include <cstdint>
#include <functional>
#include <atomic>
#include <list>
#include <memory>
#include <string>
#include <vector>

#include "docs/soap_client.h"

class QTableWidget;
class QWidget;

namespace maj::docs {
class DocumentationService;
}

namespace maj::app {

// Grid rows as the program counts them: row 0 is the grid's header (the table's horizontal header), data row
// n is the table's row n - 1.
class DocumentationList : public QObject {
  Q_OBJECT

 public:
  // Fills and handles `vsf` (owned by the screen); dialogs and message boxes open over `parent`. A click on
  // a cell of `vsf` is handled from now on.
  DocumentationList(QTableWidget* vsf, QWidget* parent);
  // Cancels the calls under way and waits for their threads, about a second at most.
  ~DocumentationList() override;

  // Asks the service for the documents about the versions lOld..lNew (0 and 999999 for all) and returns at
  // once; when the answer arrives, `vsf` gets four columns (identifier hidden, "Libellé", "Version",
  // "télécharger"), one row per entry in the order received, and is shown when there is at least one. An
  // empty list leaves the header alone and the grid's visibility as it was. Any failure (service
  // unreachable or too slow, a bad answer, an entry of fewer than three fields) hides the grid without a
  // message, leaving the rows already written in it. A newer call replaces an answer still awaited.
  void ShowDocumentationList(std::int32_t& lOld, std::int32_t& lNew);

  // The save dialog `CommonDialogdoc`, shown with the proposed path (the label made a file name in the
  // user's documents folder); returns the chosen path, or "" when the user cancels. Defaults to a
  // QFileDialog.
  std::function<QString(QWidget* parent, const QString& proposedPath)> SaveDialog;
  // A message box with a single OK button. Defaults to a QMessageBox.
  std::function<void(QWidget* parent, const QString& text)> ShowMessage;
  // How long the screen waits for the service.
  docs::TimeLimits Limits;

 signals:
  // The answer of the latest ShowDocumentationList has been shown, or its failure has hidden the grid.
  void ListingFinished();
  // A download has ended and its message ("terminé", or why it failed) has been shown.
  void DownloadFinished();

 private:
  class BackgroundCall;

  // A click on the cell `row`, `column` of the table: column 3 of a data row saves that row's document.
  void vsf_Click(int row, int column);
  void ShowEntries(const std::vector<std::string>& entries);
  void StartDownload(const QString& identifierText, double identifier, const QString& path);
  void ShowProgress(const QString& identifierText, std::uint64_t received, std::uint64_t expected);
  void EndDownload(const QString& identifierText, const std::string& failure);
  void SetLinkText(const QString& identifierText, const QString& text);
  // Starts `work` on a thread of its own, given the flag that cancels it.
  void Start(std::function<void(const std::atomic<bool>& cancel)> work);
  // Forgets the threads that have ended.
  void Reap();

  QTableWidget* vsf_;
  QWidget* parent_;
  std::shared_ptr<docs::DocumentationService> service_;
  std::list<std::unique_ptr<BackgroundCall>> calls_;
  BackgroundCall* listing_ = nullptr;  // the latest listing, while its thread runs
  std::uint64_t listingNumber_ = 0;    // counts the listings: only the latest one's answer is shown
  QSet<QString> downloading_;          // identifiers of the documents on their way
};

}  // namespace maj::app
