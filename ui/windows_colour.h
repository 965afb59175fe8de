#pragma once
// Windows colour values (0x00BBGGRR) as Qt colours. colour::ButtonFace is not
// a colour of its own: it stands for the palette's button colour.
#include <QColor>
#include <cstdint>

class QWidget;

namespace vm {

// The QColor of a Windows colour value; the application palette's button
// colour for colour::ButtonFace.
QColor FromWindowsColour(std::uint32_t value);

// Gives a plain widget (a label) a filled background of that colour.
void SetBackgroundColour(QWidget& widget, std::uint32_t value);

} // namespace vm
