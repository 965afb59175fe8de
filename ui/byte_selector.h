#pragma once
// A picker of the data bytes 0..7 of a CAN message: eight cells side by side,
// each showing its byte number, or "Lo" / "Hi" in bold where the low or high
// byte of the value sits. A click names the cell; the owner decides.
#include <QWidget>
#include <cstdint>

namespace vm {

class ByteSelector : public QWidget {
    Q_OBJECT
public:
    explicit ByteSelector(QWidget* parent = nullptr);

    // Positions as stored: 0 none, 1..8 data byte 0..7.
    void setPositions(std::uint8_t high, std::uint8_t low);
    std::uint8_t high() const { return high_; }
    std::uint8_t low() const { return low_; }

    QSize sizeHint() const override;

Q_SIGNALS:
    // The mouse was released over data byte `cell` (0..7).
    void cellClicked(int cell);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    std::uint8_t high_ = 0;
    std::uint8_t low_ = 0;
};

} // namespace vm
