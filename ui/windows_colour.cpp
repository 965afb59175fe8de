#include "ui/windows_colour.h"

#include "session/colours.h"

#include <QApplication>
#include <QPalette>
#include <QWidget>

namespace vm {

QColor FromWindowsColour(std::uint32_t value) {
    if (value == colour::ButtonFace) return QApplication::palette().color(QPalette::Button);
    return QColor(static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                  static_cast<int>((value >> 16) & 0xFF));
}

void SetBackgroundColour(QWidget& widget, std::uint32_t value) {
    const QColor colour = FromWindowsColour(value);
    // An unchanged colour must not cost a repaint.
    if (widget.autoFillBackground() && widget.palette().color(QPalette::Window) == colour) return;
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, colour);
    widget.setPalette(palette);
    widget.setAutoFillBackground(true);
}

} // namespace vm
