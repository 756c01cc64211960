#pragma once
// The nine columns of Fichier64 that say which Windows versions a row applies to: one table of their names in
// the table's order, with the name and place each has in the publishing panel and in `maj --publish --windows`.
#include <array>
#include <cstddef>
#include <string_view>

namespace maj::db {

struct WindowsColumn {
  std::string_view column;     // the column of Fichier64
  std::string_view panelName;  // its header in the publishing panel, its name in --windows
  std::size_t panelPosition;   // its place among the panel's nine tick columns, from 0
};

// In the table's column order.
inline constexpr std::array<WindowsColumn, 9> kWindowsColumns = {{
    {"WIN9X", "9X", 0},
    {"WINNT4", "NT", 2},
    {"WIN2000", "2K", 4},
    {"WINXP", "XP", 3},
    {"WIN2003", "2K3", 5},
    {"WINME", "ME", 1},
    {"Vista", "Vista", 6},
    {"Win7", "Win7", 7},
    {"Win8", "Win8", 8},
}};

// One flag per entry of kWindowsColumns, in the same order: true where the row applies.
using WindowsFlags = std::array<bool, kWindowsColumns.size()>;
inline constexpr WindowsFlags kEveryWindows = {true, true, true, true, true, true, true, true, true};

}  // namespace maj::db
