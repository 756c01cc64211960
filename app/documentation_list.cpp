#include "app/documentation_list.h"

#include <QColor>
#include <QFile>
#include <QFileDialog>
#include <QFont>
#include <QLocale>
#include <QStandardPaths>
#include <QTableWidget>

#include <chrono>
#include <thread>

#include "app/message_box.h"
#include "app/twips.h"
#include "docs/documentation_service.h"
#include "docs/save_name.h"

namespace maj::app {
namespace {

constexpr int kColumnTwips[] = {0, 4000, 1000, 2000};
const QString kDownloadText = QStringLiteral("télécharger");
// Progress reaches the screen at most this often.
constexpr auto kProgressInterval = std::chrono::milliseconds(200);

QTableWidgetItem* Cell(const QString& text) {
  auto* item = new QTableWidgetItem(text);
  item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
  return item;
}

// The "télécharger" cell reads as a link: it is what the user clicks.
QTableWidgetItem* LinkCell(const QString& text) {
  QTableWidgetItem* item = Cell(text);
  QFont font = item->font();
  font.setUnderline(true);
  item->setFont(font);
  item->setForeground(QColor(0x1a, 0x5f, 0xb4));
  return item;
}

QString SaveDocumentDialog(QWidget* parent, const QString& proposedPath) {
  QFileDialog dialog(parent);
  dialog.setObjectName(QStringLiteral("CommonDialogdoc"));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.selectFile(proposedPath);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().constFirst();
}

void MessageWithOk(QWidget* parent, const QString& text) {
  ShowInformationBox(parent, text);
}

// "45 %" when the size of the answer is announced, else what has arrived ("3,2 Mo").
QString ProgressText(std::uint64_t received, std::uint64_t expected) {
  const QLocale french(QLocale::French);
  if (expected > 0 && received <= expected)
    return french.toString(static_cast<int>(received * 100 / expected)) + QStringLiteral(" %");
  return french.toString(static_cast<double>(received) / (1024 * 1024), 'f', 1) + QStringLiteral(" Mo");
}

}  // namespace

// A call on a thread of its own, cancelled and joined when destroyed: libcurl looks at the flag about once
// a second, so that the wait is short whatever the time limits.
class DocumentationList::BackgroundCall {
 public:
  BackgroundCall(DocumentationList* owner, std::function<void(const std::atomic<bool>& cancel)> work)
      : thread_([this, owner, work = std::move(work)] {
          work(cancel_);
          ended_ = true;
          QMetaObject::invokeMethod(owner, [owner] { owner->Reap(); }, Qt::QueuedConnection);
        }) {}
  ~BackgroundCall() {
    Cancel();
    thread_.join();
  }
  BackgroundCall(const BackgroundCall&) = delete;
  BackgroundCall& operator=(const BackgroundCall&) = delete;

  void Cancel() { cancel_ = true; }
  bool Ended() const { return ended_; }

 private:
  std::atomic<bool> cancel_{false};
  std::atomic<bool> ended_{false};
  std::thread thread_;
};

DocumentationList::DocumentationList(QTableWidget* vsf, QWidget* parent)
    : QObject(parent),
      SaveDialog(SaveDocumentDialog),
      ShowMessage(MessageWithOk),
      vsf_(vsf),
      parent_(parent),
      service_(std::make_shared<docs::DocumentationService>()) {
  connect(vsf_, &QTableWidget::cellClicked, this, &DocumentationList::vsf_Click);
}

DocumentationList::~DocumentationList() {
  for (const auto& call : calls_) call->Cancel();
  calls_.clear();
}

void DocumentationList::Start(std::function<void(const std::atomic<bool>& cancel)> work) {
  calls_.push_back(std::make_unique<BackgroundCall>(this, std::move(work)));
}

void DocumentationList::Reap() {
  calls_.remove_if([this](const std::unique_ptr<BackgroundCall>& call) {
    if (!call->Ended()) return false;
    if (call.get() == listing_) listing_ = nullptr;
    return true;
  });
}

void DocumentationList::ShowDocumentationList(std::int32_t& lOld, std::int32_t& lNew) {
  if (listing_) listing_->Cancel();
  const std::uint64_t number = ++listingNumber_;
  Start([this, number, lOld, lNew, service = service_, limits = Limits](const std::atomic<bool>& cancel) {
    std::vector<std::string> entries;
    bool listed = true;
    try {
      entries = service->GetListeNouveautes(lOld, lNew, limits, {&cancel, {}});
    } catch (...) {
      listed = false;
    }
    QMetaObject::invokeMethod(
        this,
        [this, number, listed, entries = std::move(entries)] {
          if (number != listingNumber_) return;
          if (listed) {
            ShowEntries(entries);
          } else {
            vsf_->setVisible(false);
          }
          emit ListingFinished();
        },
        Qt::QueuedConnection);
  });
  listing_ = calls_.back().get();
}

void DocumentationList::ShowEntries(const std::vector<std::string>& entries) {
  vsf_->setColumnCount(4);
  for (int column = 0; column < 4; ++column)
    vsf_->setColumnWidth(column, TwipsToPixels(kColumnTwips[column]));
  vsf_->setColumnHidden(0, true);
  vsf_->setHorizontalHeaderLabels({QString(), QStringLiteral("Libellé"), QStringLiteral("Version"), QString()});
  vsf_->setRowCount(1);  // the spare row, below which nothing is written
  try {
    for (const std::string& entry : entries) {
      vsf_->setVisible(true);
      const docs::DocumentEntry fields = docs::ParseDocumentEntry(entry);
      vsf_->setRowCount(vsf_->rowCount() + 1);
      const int row = vsf_->rowCount() - 2;
      vsf_->setItem(row, 0, Cell(QString::fromStdString(fields.Identifier)));
      vsf_->setItem(row, 1, Cell(QString::fromStdString(fields.Label)));
      vsf_->setItem(row, 2, Cell(QString::fromStdString(fields.Version)));
      vsf_->setItem(row, 3, LinkCell(downloading_.contains(QString::fromStdString(fields.Identifier))
                                         ? QStringLiteral("…")
                                         : kDownloadText));
    }
  } catch (const std::exception&) {
    vsf_->setVisible(false);
    return;
  }
  vsf_->setRowCount(vsf_->rowCount() - 1);
}

void DocumentationList::vsf_Click(int row, int column) {
  if (column != 3 || row < 0 || row >= vsf_->rowCount() || !vsf_->item(row, 0) || !vsf_->item(row, 1)) return;
  const QString identifierText = vsf_->item(row, 0)->text();
  if (downloading_.contains(identifierText)) return;
  const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  const QString proposed = QString::fromStdString(
      docs::ProposedDocumentPath(vsf_->item(row, 1)->text().toStdString(), documents.toStdString()));
  const QString path = SaveDialog(parent_, proposed);
  if (path.isEmpty()) return;
  try {
    StartDownload(identifierText, docs::DocumentIdentifier(identifierText.toStdString()), path);
  } catch (const std::exception& e) {
    EndDownload(identifierText, e.what());
  }
}

void DocumentationList::StartDownload(const QString& identifierText, double identifier, const QString& path) {
  downloading_.insert(identifierText);
  SetLinkText(identifierText, QStringLiteral("…"));
  Start([this, identifierText, identifier, target = QFile::encodeName(path).toStdString(), service = service_,
         limits = Limits](const std::atomic<bool>& cancel) {
    auto shown = std::chrono::steady_clock::now() - kProgressInterval;
    docs::CallControl control{&cancel, [&](std::uint64_t received, std::uint64_t expected) {
                                if (std::chrono::steady_clock::now() - shown < kProgressInterval) return;
                                shown = std::chrono::steady_clock::now();
                                QMetaObject::invokeMethod(
                                    this, [=, this] { ShowProgress(identifierText, received, expected); },
                                    Qt::QueuedConnection);
                              }};
    std::string failure;
    try {
      service->GetFichier(identifier, target, limits, control);
    } catch (const std::exception& e) {
      failure = e.what();
    } catch (...) {
      failure = "erreur inattendue";
    }
    if (cancel) return;  // the list is going away
    QMetaObject::invokeMethod(this, [this, identifierText, failure] { EndDownload(identifierText, failure); },
                              Qt::QueuedConnection);
  });
}

void DocumentationList::ShowProgress(const QString& identifierText, std::uint64_t received, std::uint64_t expected) {
  if (downloading_.contains(identifierText)) SetLinkText(identifierText, ProgressText(received, expected));
}

void DocumentationList::EndDownload(const QString& identifierText, const std::string& failure) {
  downloading_.remove(identifierText);
  SetLinkText(identifierText, kDownloadText);
  ShowMessage(parent_, failure.empty() ? QStringLiteral("terminé")
                                       : QStringLiteral("Le document n'a pas pu être enregistré : ") +
                                             QString::fromStdString(failure));
  emit DownloadFinished();
}

void DocumentationList::SetLinkText(const QString& identifierText, const QString& text) {
  for (int row = 0; row < vsf_->rowCount(); ++row)
    if (vsf_->item(row, 0) && vsf_->item(row, 0)->text() == identifierText && vsf_->item(row, 3))
      vsf_->item(row, 3)->setText(text);
}

}  // namespace maj::app
