#include "session/unit_session.h"
#include "ui/activity_lamps.h"
#include "ui/channel_button.h"
#include "ui/windows_colour.h"

#include <QApplication>
#include <QImage>
#include <QStyle>
#include <QStyleFactory>
#include <gtest/gtest.h>

#include "tests/support/answers.h"

using namespace vm;

namespace {

class NullLink : public PacketLink {
public:
    void Enqueue(const std::uint8_t*, int) override {}
    void ResendLast() override {}
};

QImage Render(QWidget& widget) {
    widget.ensurePolished();
    return widget.grab().toImage();
}

} // namespace

TEST(WindowsColour, ByteOrderIsBlueGreenRed) {
    EXPECT_EQ(FromWindowsColour(colour::Red), QColor(255, 0, 0));
    EXPECT_EQ(FromWindowsColour(colour::Green), QColor(0, 255, 0));
    EXPECT_EQ(FromWindowsColour(colour::Yellow), QColor(255, 255, 0));
    EXPECT_EQ(FromWindowsColour(colour::Blue), QColor(0, 0, 255));
    EXPECT_EQ(FromWindowsColour(0x00C0C0C0), QColor(192, 192, 192));
    EXPECT_EQ(FromWindowsColour(colour::ButtonFace), QApplication::palette().color(QPalette::Button));
}

// The fill must survive styles that paint their own button gradient.
TEST(ChannelButton, PaintsItsColourInEveryStyle) {
    for (const QString& styleName : QStyleFactory::keys()) {
        SCOPED_TRACE(styleName.toStdString());
        std::unique_ptr<QStyle> style(QStyleFactory::create(styleName));
        for (std::uint32_t value : {colour::Red, colour::Green, colour::Yellow, colour::ButtonFace}) {
            ChannelButton button(QStringLiteral("On"));
            button.setStyle(style.get());
            button.setEnabled(value != colour::Green); // disabled buttons keep their colour
            button.resize(46, 20);
            button.setColour(value);
            const QImage image = Render(button);
            // Away from the bevel and the centred text.
            EXPECT_EQ(QColor(image.pixel(4, 4)), button.fillColour());
            EXPECT_EQ(QColor(image.pixel(41, 15)), button.fillColour());
        }
    }
}

TEST(ActivityLamps, OneLampLitFollowingTheKeepAlive) {
    NullLink link;
    UnitSession session(link, nullptr);
    ActivityLamps lamps;
    QObject::connect(&session, &UnitSession::activityChanged, &lamps, &ActivityLamps::setLitLamp);
    EXPECT_EQ(lamps.size(), QSize(57, 19));

    auto greenAt = [&](int lamp) {
        const QImage image = Render(lamps);
        return QColor(image.pixel(lamp * ActivityLamps::kPitch + 8, ActivityLamps::kTop + 8)).green();
    };
    // Each STATUS answer lets the next tick move the lamp on; silence holds it.
    const LinkPacket status = test::Answer(135, {'V', '8', '.', '1', '5'});
    const int expected[] = {0, 1, 2, 0, 0};
    for (int tick = 0; tick < 5; ++tick) {
        if (tick < 3) session.Dispatch(status);
        session.KeepAliveTick();
        EXPECT_EQ(lamps.litLamp(), expected[tick]) << "tick " << tick;
        for (int lamp = 0; lamp < 3; ++lamp)
            if (lamp == lamps.litLamp()) {
                EXPECT_GT(greenAt(lamp), 150) << "tick " << tick << " lamp " << lamp;
            } else {
                EXPECT_LT(greenAt(lamp), 120) << "tick " << tick << " lamp " << lamp;
            }
    }
}
