#pragma once
// The keep-alive activity indicator: three 17x17 lamps side by side, one of
// them lit. The lit lamp moves on while the unit answers. Small enough to sit
// in the corner of the notebook's tab strip.
#include <QPixmap>
#include <QWidget>

namespace vm {

class ActivityLamps : public QWidget {
    Q_OBJECT
public:
    static constexpr int kLamps = 3;
    static constexpr int kLampSize = 17;
    static constexpr int kPitch = 20; // lamp to lamp, left edges
    static constexpr int kTop = 1;

    explicit ActivityLamps(QWidget* parent = nullptr);

    int litLamp() const { return lit_; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

public Q_SLOTS:
    // 0..2; anything else leaves every lamp dark.
    void setLitLamp(int lamp);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // A lamp drawn once per look and scale: a blink costs two small copies.
    const QPixmap& lamp(bool lit);

    int lit_ = 0;
    QPixmap lamps_[2]; // dark, lit
};

} // namespace vm
