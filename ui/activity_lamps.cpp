#include "ui/activity_lamps.h"

#include <QPainter>
#include <QRadialGradient>

namespace vm {

ActivityLamps::ActivityLamps(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("ActivityLamps"));
    setFixedSize(sizeHint());
    // Opaque: a blink repaints the lamps alone, not the menu bar beneath them.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QSize ActivityLamps::sizeHint() const { return {kPitch * (kLamps - 1) + kLampSize, kLampSize + 2 * kTop}; }

void ActivityLamps::setLitLamp(int lamp) {
    if (lamp == lit_) return;
    lit_ = lamp;
    update();
}

const QPixmap& ActivityLamps::lamp(bool lit) {
    QPixmap& pixmap = lamps_[lit ? 1 : 0];
    const qreal scale = devicePixelRatioF();
    if (!pixmap.isNull() && pixmap.devicePixelRatio() == scale) return pixmap;
    pixmap = QPixmap(QSize(kLampSize, kLampSize) * scale);
    pixmap.setDevicePixelRatio(scale);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF r(0.5, 0.5, kLampSize - 1, kLampSize - 1);
    QRadialGradient glow(r.center() - QPointF(3, 3), kLampSize * 0.7);
    glow.setColorAt(0, lit ? QColor(200, 255, 200) : QColor(40, 90, 40));
    glow.setColorAt(1, lit ? QColor(0, 200, 0) : QColor(0, 50, 0));
    painter.setBrush(glow);
    painter.setPen(QPen(QColor(60, 60, 60), 1));
    painter.drawEllipse(r);
    return pixmap;
}

void ActivityLamps::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    for (int i = 0; i < kLamps; ++i)
        painter.drawPixmap(QPoint(i * kPitch, kTop), lamp(i == lit_));
}

} // namespace vm
