#pragma once
// Rows of controls from one table of columns: a heading per column, then one
// control per row and column, created row by row so Tab walks each row in turn.
#include <QString>
#include <span>
#include <vector>

class QGridLayout;
class QWidget;

namespace vm {

enum class Cell { Text, Box, Label, Check };

struct Column {
    const char* caption;  // heading; empty for none
    const char* name;     // objectName, "%1" standing for the row number; empty for none
    Cell cell;
    int rows;             // rows 1..rows have this control
    int width = 0;        // fixed width in pixels, 0 to let the grid decide
};

// cells[column][row - 1]; null where a column has no control in that row.
using Cells = std::vector<std::vector<QWidget*>>;

// Headings go into grid row `firstGridRow`, row n into firstGridRow + n. The
// controls' parent is `parent`. With wrapAfter > 0 the rows continue in a
// further block of columns after that many rows.
Cells BuildRows(QGridLayout& grid, std::span<const Column> columns, int rows, int firstGridRow, QWidget* parent,
                int wrapAfter = 0);

// The control of a cell as its type.
template <class W> W* CellAs(const Cells& cells, int column, int row) {
    return static_cast<W*>(cells[static_cast<std::size_t>(column)][static_cast<std::size_t>(row - 1)]);
}

} // namespace vm
