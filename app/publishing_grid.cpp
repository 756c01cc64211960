#include "app/publishing_grid.h"

#include <QHeaderView>
#include <QPainter>
#include <QStyledItemDelegate>

#include <algorithm>
#include <cstdint>

#include "app/twips.h"
#include "session/published_file_record.h"
#include "engine/version_compare.h"
#include "platform/text.h"

namespace maj::app {
namespace {

constexpr const char* kTicked = "-1";
constexpr const char* kNotTicked = "0";

// Draws a tick box cell as its picture alone, centred; the cell's text stays the "-1" / "0" it holds.
class TickBoxDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    const QPixmap picture = index.data(Qt::DecorationRole).value<QPixmap>();
    if (picture.isNull()) {
      QStyledItemDelegate::paint(painter, option, index);
      return;
    }
    painter->fillRect(option.rect, option.palette.base());
    const QRect box(QPoint(0, 0), picture.deviceIndependentSize().toSize());
    painter->drawPixmap(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, box.size(), option.rect), picture);
  }
};

// Puts the picture matching the cell's text in a tick box cell of `row`, centred, with white text.
void PaintTickBox(QTableWidget& grid, int row, int column) {
  QTableWidgetItem* cell = grid.item(row, column);
  if (!cell) return;
  const QString text = cell->text();
  if (text != kTicked && text != kNotTicked) return;
  cell->setData(Qt::DecorationRole, QPixmap(text == kTicked ? ":/artwork/coche_t.png" : ":/artwork/coche_f.png"));
  cell->setTextAlignment(Qt::AlignCenter);
  cell->setForeground(Qt::white);
}

std::int16_t Flag(bool value) { return value ? -1 : 0; }

bool Ticked(const QTableWidget& grid, int row, int column) {
  const QTableWidgetItem* cell = grid.item(row, column);
  return cell && cell->text() == kTicked;
}

std::string CellText(const QTableWidget& grid, int row, int column) {
  const QTableWidgetItem* cell = grid.item(row, column);
  return cell ? cell->text().toStdString() : std::string();
}

}  // namespace

void InitPublishingGrid(QTableWidget& grid) {
  static const struct {
    const char* header;
    int twips;
  } kColumns[kGridColumnCount] = {{"Nom", 2200}, {"Version", 1000}, {"Register", 700}, {"RegAsm", 700},
                                  {"Codebase", 900}, {"Path", 0},   {"9X", 500},       {"ME", 500},
                                  {"NT", 500},     {"XP", 500},     {"2K", 500},       {"2K3", 500},
                                  {"Vista", 500},  {"Win7", 500},   {"Win8", 500}};
  grid.setColumnCount(kGridColumnCount);
  QStringList headers;
  for (const auto& column : kColumns) headers << column.header;
  grid.setHorizontalHeaderLabels(headers);
  QHeaderView& header = *grid.horizontalHeader();
  header.setMinimumSectionSize(0);
  header.ensurePolished();
  for (int column = 0; column < kGridColumnCount; ++column) {
    // The widths in twips were drawn for a smaller font: no header gets less than its text needs.
    grid.setColumnWidth(column, std::max(TwipsToPixels(kColumns[column].twips), header.sectionSizeHint(column)));
  }
  grid.setColumnHidden(kPathColumn, true);
  // The name takes the width the other columns leave, so that together they fill the grid.
  header.setSectionResizeMode(kNameColumn, QHeaderView::Stretch);
  grid.setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid.setSelectionMode(QAbstractItemView::SingleSelection);
  grid.verticalHeader()->setVisible(false);
  grid.setItemDelegate(new TickBoxDelegate(&grid));
}

std::string BuildGridRow(const std::string& path, const std::string& name, PublishingPreset flags) {
  const auto flagText = [](bool value) { return std::to_string(Flag(value)); };
  std::string row = name + '\t' + engine::LocalFileVersion(path + name) + '\t' + flagText(flags.Register) + '\t' +
                    flagText(flags.RegAsm) + '\t' + flagText(flags.Codebase) + '\t' + path;
  for (int windows = 0; windows < 9; ++windows) row += '\t' + flagText(true);
  return row;
}

void AddGridRow(QTableWidget& grid, const std::string& path, const std::string& name, PublishingPreset flags) {
  std::string text = BuildGridRow(path, name, flags) + '\t';
  const int row = grid.rowCount();
  grid.insertRow(row);
  for (int column = 0; column < kGridColumnCount; ++column) {
    grid.setItem(row, column, new QTableWidgetItem(QString::fromStdString(StripItem(text, '\t'))));
  }
  for (int column = 1; column < kGridColumnCount; ++column) PaintTickBox(grid, row, column);
  grid.setCurrentCell(0, kNameColumn);
}

std::shared_ptr<transfer::cls_File> RowToFileRecord(const QTableWidget& grid, int row) {
  session::PublishedFileRow file{CellText(grid, row, kPathColumn), CellText(grid, row, kNameColumn),
                        CellText(grid, row, kVersionColumn),
                        {Ticked(grid, row, 2), Ticked(grid, row, 3), Ticked(grid, row, 4)},
                        {}};
  for (std::size_t i = 0; i < file.Windows.size(); ++i) {
    file.Windows[i] = Ticked(grid, row, 6 + static_cast<int>(db::kWindowsColumns[i].panelPosition));
  }
  return session::FileRecordOf(file);
}

void ToggleTickBox(QTableWidget& grid, int row, int column) {
  QTableWidgetItem* cell = grid.item(row, column);
  if (!cell || column == kNameColumn || column == kPathColumn) return;
  if (cell->text() == kNotTicked) {
    cell->setText(kTicked);
  } else if (cell->text() == kTicked) {
    cell->setText(kNotTicked);
  } else {
    return;
  }
  PaintTickBox(grid, row, column);
}

std::string StripItem(std::string& startStrg, char parser) {
  const std::size_t at = startStrg.find(parser);
  std::string item = startStrg.substr(0, at);
  startStrg.erase(0, at == std::string::npos ? std::string::npos : at + 1);
  return item;
}

std::vector<std::string> SplitDialogResult(const std::string& result) {
  std::string rest = result + std::string(2, '\0');
  std::vector<std::string> items;
  for (std::size_t taken = 0; taken < result.size(); ++taken) {
    std::string item = StripItem(rest, '\0');
    if (item.empty()) break;
    items.push_back(platform::ToLowerCase(item));
  }
  return items;
}

void AddDialogResult(QTableWidget& grid, const std::vector<std::string>& selectedFiles) {
  if (selectedFiles.empty()) return;
  if (selectedFiles.size() == 1) {
    const std::string& full = selectedFiles[0];
    const std::size_t cut = full.find_last_of("\\/");
    const std::size_t nameStart = cut == std::string::npos ? 0 : cut + 1;
    const std::string name = full.substr(nameStart);
    AddGridRow(grid, full.substr(0, nameStart), name, ClassifyPublishedName(name));
    return;
  }
  const std::string& folder = selectedFiles[0];
  // A Windows folder keeps its "\"; a local one gets "/".
  const std::string separator = folder.find('/') == std::string::npos && folder.find('\\') != std::string::npos
                                    ? "\\"
                                    : "/";
  for (std::size_t i = 1; i < selectedFiles.size(); ++i) {
    AddGridRow(grid, folder + separator, selectedFiles[i], ClassifyPublishedName(selectedFiles[i]));
  }
}

}  // namespace maj::app
