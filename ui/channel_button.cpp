#include "ui/channel_button.h"

#include "ui/windows_colour.h"

#include <QPainter>
#include <QStyleOptionFocusRect>
#include <qdrawutil.h>

namespace vm {

ChannelButton::ChannelButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {
    // The fill and the bevel cover every pixel: nothing beneath needs drawing.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ChannelButton::setColour(std::uint32_t value) {
    if (value == colour_) return;
    colour_ = value;
    update();
}

QColor ChannelButton::fillColour() const {
    return colour_ == colour::ButtonFace ? palette().color(QPalette::Button) : FromWindowsColour(colour_);
}

QSize ChannelButton::sizeHint() const {
    const QFontMetrics fm = fontMetrics();
    // Wide enough for the longest state text, "fail" or "Off", with a margin.
    const int textWidth =
        std::max(fm.horizontalAdvance(text()), fm.horizontalAdvance(QStringLiteral("fail")));
    return {textWidth + 16, fm.height() + 8};
}

void ChannelButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect r = rect();
    const bool down = isDown() || isChecked();
    const QColor fill = fillColour();
    painter.fillRect(r.adjusted(1, 1, -1, -1), fill);

    // A raised bevel, sunken while pressed; shades taken from the fill so
    // red and green buttons keep a visible edge.
    QPalette bevel = palette();
    bevel.setColor(QPalette::Light, fill.lighter(150));
    bevel.setColor(QPalette::Dark, fill.darker(200));
    bevel.setColor(QPalette::Mid, fill.darker(150));
    qDrawShadePanel(&painter, r, bevel, down, 1);

    QRect textRect = r.adjusted(2, 2, -2, -2);
    if (down) textRect.translate(1, 1);
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    painter.drawText(textRect, Qt::AlignCenter, text());

    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = r.adjusted(3, 3, -3, -3);
        focus.backgroundColor = fill;
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}

} // namespace vm
