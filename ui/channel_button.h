#pragma once
// The coloured channel button of the "General" page: a push button filled
// with one flat colour. Drawn by hand, because most styles (Fusion among them)
// paint their own gradient over the palette's button colour.
#include "session/colours.h"

#include <QPushButton>
#include <cstdint>

namespace vm {

class ChannelButton : public QPushButton {
    Q_OBJECT
public:
    explicit ChannelButton(const QString& text = QString(), QWidget* parent = nullptr);

    // A Windows colour value; colour::ButtonFace is the palette's own button colour.
    void setColour(std::uint32_t value);
    std::uint32_t colour() const { return colour_; }
    QColor fillColour() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::uint32_t colour_ = colour::ButtonFace;
};

} // namespace vm
