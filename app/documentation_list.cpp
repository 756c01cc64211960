#include "app/documentation_list.h"

#include <QApplication>
#include <QColor>
#include <QFile>
#include <QFileDialog>
#include <QFont>
#include <QHeaderView>
#include <QMessageBox>
#include <QTableWidget>

#include "docs/documentation_service.h"

namespace maj::app {
namespace {

constexpr int kTwipsPerPixel = 15;
constexpr int kColumnTwips[] = {0, 4000, 1000, 2000};
const QString kDownloadText = QStringLiteral("télécharger");

// The wait cursor while the screen waits for the service.
class BusyCursor {
 public:
  BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~BusyCursor() { QApplication::restoreOverrideCursor(); }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;
};

QTableWidgetItem* Cell(const std::string& text) {
  auto* item = new QTableWidgetItem(QString::fromStdString(text));
  item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
  return item;
}

// The "télécharger" cell reads as a link: it is what the user clicks.
QTableWidgetItem* LinkCell(const QString& text) {
  QTableWidgetItem* item = Cell(text.toStdString());
  QFont font = item->font();
  font.setUnderline(true);
  item->setFont(font);
  item->setForeground(QColor(0x1a, 0x5f, 0xb4));
  return item;
}

QString SaveDocumentDialog(QWidget* parent, const QString& proposedName) {
  QFileDialog dialog(parent);
  dialog.setObjectName(QStringLiteral("CommonDialogdoc"));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.selectFile(proposedName);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().constFirst();
}

void MessageWithOk(QWidget* parent, const QString& text) {
  QMessageBox::information(parent, QStringLiteral("MAJ"), text, QMessageBox::Ok);
}

}  // namespace

DocumentationList::DocumentationList(QTableWidget* vsf, QWidget* parent)
    : QObject(parent), SaveDialog(SaveDocumentDialog), ShowMessage(MessageWithOk), vsf_(vsf), parent_(parent) {
  connect(vsf_, &QTableWidget::cellClicked, this, &DocumentationList::vsf_Click);
}

void DocumentationList::ShowDocumentationList(std::int32_t& lOld, std::int32_t& lNew) {
  try {
    std::vector<std::string> entries;
    {
      BusyCursor busy;
      entries = docs::GetListeNouveautes(lOld, lNew, Limits);
    }
    vsf_->setColumnCount(4);
    for (int column = 0; column < 4; ++column)
      vsf_->setColumnWidth(column, (kColumnTwips[column] + kTwipsPerPixel / 2) / kTwipsPerPixel);
    vsf_->setColumnHidden(0, true);
    vsf_->setHorizontalHeaderLabels({QString(), QStringLiteral("Libellé"), QStringLiteral("Version"), QString()});
    vsf_->setRowCount(1);  // the spare row, below which nothing is written
    for (const std::string& entry : entries) {
      vsf_->setVisible(true);
      const docs::DocumentEntry fields = docs::ParseDocumentEntry(entry);
      vsf_->setRowCount(vsf_->rowCount() + 1);
      const int row = vsf_->rowCount() - 2;
      vsf_->setItem(row, 0, Cell(fields.Identifier));
      vsf_->setItem(row, 1, Cell(fields.Label));
      vsf_->setItem(row, 2, Cell(fields.Version));
      vsf_->setItem(row, 3, LinkCell(kDownloadText));
    }
    vsf_->setRowCount(vsf_->rowCount() - 1);
  } catch (...) {
    vsf_->setVisible(false);
  }
}

void DocumentationList::vsf_Click(int row, int column) {
  if (column != 3 || row < 0 || row >= vsf_->rowCount() || !vsf_->item(row, 0) || !vsf_->item(row, 1)) return;
  try {
    const QString path = SaveDialog(parent_, vsf_->item(row, 1)->text());
    if (path.isEmpty()) return;
    {
      BusyCursor busy;
      docs::GetFichier(docs::DocumentIdentifier(vsf_->item(row, 0)->text().toStdString()),
                       QFile::encodeName(path).toStdString(), Limits);
    }
    ShowMessage(parent_, QStringLiteral("terminé"));
  } catch (...) {
    // A failed download ends without a message.
  }
}

}  // namespace maj::app
