#include "pages/diagnostic_table_view.h"

#include <QPainter>
#include <QPen>
#include <algorithm>

namespace vm {

namespace {
const QColor kGrid(0xC0, 0xC0, 0xC0); // silver
constexpr int kNameIndent = 5;
} // namespace

DiagnosticTableView::DiagnosticTableView(QSize designSize, std::vector<DiagColumn> columns, int rows,
                                         CellSource cells, QWidget* parent)
    : QWidget(parent), design_(designSize), columns_(std::move(columns)), rows_(rows), cells_(std::move(cells)) {
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

int DiagnosticTableView::heightForWidth(int width) const {
    return design_.height() * width / std::max(1, design_.width());
}

double DiagnosticTableView::scale() const {
    return std::min(double(width()) / design_.width(), double(height()) / design_.height());
}

void DiagnosticTableView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const double s = scale();
    painter.translate((width() - design_.width() * s) / 2, 0);
    painter.scale(s, s);
    DrawTable(painter);
}

void DiagnosticTableView::DrawTable(QPainter& painter) const {
    const int tableHeight = kHeaderHeight + rows_ * kRowHeight;
    painter.fillRect(QRect(QPoint(0, 0), design_), Qt::white);
    QFont font = painter.font();
    font.setPixelSize(12);

    // Grid: the outline of each column, the header line and each row line.
    QPen grid(kGrid);
    grid.setCosmetic(true); // one device pixel at any scale
    painter.setPen(grid);
    int x = 0;
    for (const DiagColumn& c : columns_) {
        painter.drawRect(x, 0, c.width, tableHeight);
        x += c.width;
    }
    for (int r = 0; r <= rows_; ++r)
        painter.drawLine(0, kHeaderHeight + r * kRowHeight, x, kHeaderHeight + r * kRowHeight);

    QFont bold = font;
    bold.setBold(true);
    painter.setFont(bold);
    painter.setPen(Qt::black);
    x = 0;
    for (const DiagColumn& c : columns_) {
        const QRect cell(x, 0, c.width, kHeaderHeight);
        if (c.header2.isEmpty()) painter.drawText(cell, Qt::AlignCenter, c.header1);
        else painter.drawText(cell, Qt::AlignCenter, c.header1 + QLatin1Char('\n') + c.header2);
        x += c.width;
    }

    painter.setFont(font);
    for (int r = 0; r < rows_; ++r) {
        const std::vector<DiagTableCell> cells = cells_ ? cells_(r) : std::vector<DiagTableCell>{};
        x = 0;
        const int y = kHeaderHeight + r * kRowHeight;
        for (std::size_t c = 0; c < columns_.size(); ++c) {
            const int w = columns_[c].width;
            if (c < cells.size()) {
                painter.setPen(cells[c].red ? Qt::red : Qt::black);
                if (c == 0) {
                    // A long name is cut with an ellipsis inside its column.
                    const QRect cell(x + kNameIndent, y, w - kNameIndent - 2, kRowHeight);
                    const QString text = painter.fontMetrics().elidedText(cells[c].text, Qt::ElideRight, cell.width());
                    painter.drawText(cell, Qt::AlignLeft | Qt::AlignVCenter, text);
                } else {
                    painter.drawText(QRect(x, y, w, kRowHeight), Qt::AlignCenter, cells[c].text);
                }
            }
            x += w;
        }
    }
}

} // namespace vm
