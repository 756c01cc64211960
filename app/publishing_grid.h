#pragma once
// The publishing grid: one row per file to publish, 15 text columns (name, version, three registration tick
// boxes, the hidden folder, nine Windows tick boxes). A tick box cell holds "-1" (ticked) or "0" and shows
// the CocheT or CocheF picture.
#include <QTableWidget>

#include <memory>
#include <string>
#include <vector>

#include "session/publishing_presets.h"
#include "transfer/cls_file.h"

namespace maj::app {

// The publishing rows are the session's; the screens and the options name them as their own.
using session::PublishingPreset;
using session::kPlainPreset;
using session::ClassifyPublishedName;

inline constexpr int kGridColumnCount = 15;
inline constexpr int kNameColumn = 0;
inline constexpr int kVersionColumn = 1;
inline constexpr int kPathColumn = 5;

// Sets the 15 columns, their headers and widths (the path column hidden), and the tick box painting.
void InitPublishingGrid(QTableWidget& grid);

// The 15 cell texts of a row joined by TAB: name, LocalFileVersion(path + name), the preset's three flags,
// path, then "-1" for every Windows column.
std::string BuildGridRow(const std::string& path, const std::string& name, PublishingPreset flags);

// Appends the row of BuildGridRow, paints its tick boxes and makes row 1, column 0 (the first data row)
// current.
void AddGridRow(QTableWidget& grid, const std::string& path, const std::string& name, PublishingPreset flags);

// The file record of one data row (0 is the first): full path, name, TYPE (2 Register + 64 RegAsm +
// 1 Codebase), the normalized version, the Windows flags and the code base flag.
std::shared_ptr<transfer::cls_File> RowToFileRecord(const QTableWidget& grid, int row);

// A click on a cell: a tick box flips between "-1" and "0" with its picture; any other cell is left alone.
void ToggleTickBox(QTableWidget& grid, int row, int column);

// Returns the part of `startStrg` before the first `parser` and removes it and the separator from
// `startStrg`. When `parser` is absent the whole text is returned and `startStrg` emptied.
std::string StripItem(std::string& startStrg, char parser);

// The open-file dialog's result: one full path, or a folder then the chosen names, separated by NUL. Returns
// the items in lower case, in order, up to the first empty one.
std::vector<std::string> SplitDialogResult(const std::string& result);

// Adds the rows for a dialog result (SplitDialogResult): one file splits at its last separator; several are
// names in the first item's folder. Each name gets the preset of its classification.
void AddDialogResult(QTableWidget& grid, const std::vector<std::string>& selectedFiles);

}  // namespace maj::app
