#include "pages/row_builder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

namespace vm {

namespace {

QWidget* MakeCell(Cell cell, QWidget* parent) {
    switch (cell) {
    case Cell::Text: return new QLineEdit(parent);
    case Cell::Box: {
        auto* box = new QComboBox(parent);
        box->setFocusPolicy(Qt::StrongFocus);
        return box;
    }
    case Cell::Label: return new QLabel(parent);
    case Cell::Check: return new QCheckBox(parent);
    }
    return nullptr;
}

} // namespace

Cells BuildRows(QGridLayout& grid, std::span<const Column> columns, int rows, int firstGridRow, QWidget* parent,
                int wrapAfter) {
    const int perBlock = wrapAfter > 0 ? wrapAfter : rows;
    const int width = static_cast<int>(columns.size());
    for (int block = 0; block * perBlock < rows; ++block) {
        for (std::size_t c = 0; c < columns.size(); ++c) {
            if (!*columns[c].caption) continue;
            auto* heading = new QLabel(QString::fromLatin1(columns[c].caption), parent);
            // A narrow column's heading wraps rather than widening the rows.
            heading->setWordWrap(columns[c].width > 0);
            heading->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
            grid.addWidget(heading, firstGridRow, block * width + static_cast<int>(c));
        }
    }
    Cells cells(columns.size(), std::vector<QWidget*>(static_cast<std::size_t>(rows), nullptr));
    for (int row = 1; row <= rows; ++row) {
        for (std::size_t c = 0; c < columns.size(); ++c) {
            const Column& column = columns[c];
            if (row > column.rows) continue;
            QWidget* w = MakeCell(column.cell, parent);
            if (*column.name) w->setObjectName(QString::fromLatin1(column.name).arg(row));
            if (column.width > 0) w->setFixedWidth(column.width);
            grid.addWidget(w, firstGridRow + (row - 1) % perBlock + 1, (row - 1) / perBlock * width + static_cast<int>(c));
            cells[c][static_cast<std::size_t>(row - 1)] = w;
        }
    }
    return cells;
}

} // namespace vm
