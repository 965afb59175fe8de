#include "ui/byte_selector.h"

#include <QMouseEvent>
#include <QPainter>

namespace vm {

namespace {
constexpr int kCells = 8;
const QColor kSilver(0xC0, 0xC0, 0xC0);
} // namespace

ByteSelector::ByteSelector(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void ByteSelector::setPositions(std::uint8_t high, std::uint8_t low) {
    if (high == high_ && low == low_) return;
    high_ = high;
    low_ = low;
    update();
}

QSize ByteSelector::sizeHint() const { return {kCells * 28, 24}; }

void ByteSelector::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const int cell = width() / kCells;
    QFont bold = font();
    bold.setBold(true);
    for (int i = 0; i < kCells; ++i) {
        const QRect r(i * cell, 0, cell - 1, height() - 1);
        painter.setPen(kSilver);
        painter.drawRect(r);
        const int position = i + 1;
        if (position == low_ || position == high_) {
            painter.setFont(bold);
            painter.setPen(Qt::black);
            painter.drawText(r, Qt::AlignCenter,
                             position == high_ ? QStringLiteral("Hi") : QStringLiteral("Lo"));
        } else {
            painter.setFont(font());
            painter.setPen(kSilver);
            painter.drawText(r, Qt::AlignCenter, QString::number(i));
        }
    }
}

void ByteSelector::mouseReleaseEvent(QMouseEvent* event) {
    const int cellWidth = width() / kCells;
    if (cellWidth <= 0) return;
    const int cell = static_cast<int>(event->position().x()) / cellWidth;
    if (cell >= 0 && cell < kCells) Q_EMIT cellClicked(cell);
}

} // namespace vm
