#include "pages/general_page.h"

#include "pages/output_pins.h"
#include "session/unit_session.h"
#include "ui/channel_button.h"
#include "ui/windows_colour.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <algorithm>
#include <gtest/gtest.h>
#include <vector>

using namespace vm;

namespace {

// Keeps every frame the session queues, so tests see what went to the unit.
class RecordingLink : public PacketLink {
public:
    void Enqueue(const std::uint8_t* frame, int length) override {
        frames.emplace_back(reinterpret_cast<const char*>(frame), length);
    }
    void ResendLast() override {}
    std::vector<QByteArray> frames;
};

QByteArray Framed(const LinkPacket& packet) {
    std::uint8_t out[kFrameBufferBytes];
    const int n = SlipEncode(packet.bytes.data(), packet.length(), out, sizeof out);
    return QByteArray(reinterpret_cast<const char*>(out), n);
}

// A CHANNEL_STATE answer: channel, switch state, fault, current (tenths), highlight.
LinkPacket ChannelState(int channel, int state, int fault, int current = 0, int highlight = 0) {
    return LinkPacket::make(1, 162,
                            {std::uint8_t(channel), std::uint8_t(state), std::uint8_t(fault),
                             std::uint8_t(current >> 8), std::uint8_t(current & 0xFF),
                             std::uint8_t(highlight)});
}

QColor Background(const QLabel* label) { return label->palette().color(QPalette::Window); }

class GeneralPageTest : public ::testing::Test {
protected:
    template <class W = QLabel> W* get(const QString& name) {
        auto* w = page.findChild<W*>(name);
        EXPECT_NE(w, nullptr) << name.toStdString();
        return w;
    }
    // Each look first lets the page draw what it was told (its redraw tick).
    QLabel* label(const QString& name) {
        page.Flush();
        return get<QLabel>(name);
    }
    ChannelButton* button(int ch) {
        page.Flush();
        return page.channelButton(ch);
    }
    QLabel* state(int ch) {
        page.Flush();
        return page.stateLabel(ch);
    }

    RecordingLink link;
    UnitSession session{link, nullptr};
    LiveStatus& live = session.live();
    GeneralPage page{session};
};

} // namespace

TEST_F(GeneralPageTest, EveryControlByItsName) {
    for (const char* name : {"lblCurrentSum", "lblVbat", "lblTemp", "lblErrors"})
        EXPECT_EQ(label(name)->text(), " -- ") << name;
    for (int ch = 1; ch <= 34; ++ch) {
        const QString name =
            ch <= 18 ? QStringLiteral("BtnHighPowerCh%1").arg(ch) : QStringLiteral("BtnLowPowerCh%1").arg(ch);
        auto* b = get<ChannelButton>(name);
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(b, button(ch));
        EXPECT_EQ(b->text(), "---");
        EXPECT_FALSE(b->isEnabled()) << "channel buttons wait for manual test";
        const QString nameLabel = ch <= 18 ? QStringLiteral("LabelHighPowerCh%1").arg(ch)
                                           : QStringLiteral("LabelLowPowerCh%1").arg(ch);
        EXPECT_EQ(label(nameLabel)->text(), QStringLiteral("%1: ").arg(ch));
        EXPECT_EQ(label(QStringLiteral("LabelOutputPin%1").arg(ch))->text(), OutputPinCaption(ch));
    }
    for (int ch = 1; ch <= 18; ++ch)
        EXPECT_EQ(label(QStringLiteral("ch%1State").arg(ch)), state(ch));
    for (int i = 1; i <= 11; ++i) {
        EXPECT_EQ(label(QStringLiteral("LabelInput%1State").arg(i))->text(), "Off");
        EXPECT_EQ(label(QStringLiteral("LabelInputCh%1").arg(i))->text(), QStringLiteral("%1: CH %1").arg(i));
    }
    for (int n = 1; n <= 32; ++n) {
        EXPECT_EQ(label(QStringLiteral("Label_CAN_InputState%1").arg(n))->text(), "Off");
        EXPECT_EQ(label(QStringLiteral("LabelCanInputCh%1").arg(n))->text(),
                  QStringLiteral("%1: CAN %1").arg(n));
    }
    EXPECT_EQ(get<QRadioButton>("RadioButtonAuto")->text(), "Auto");
    EXPECT_TRUE(get<QRadioButton>("RadioButtonAuto")->isChecked());
    EXPECT_EQ(get<QRadioButton>("RadioButtonManuel")->text(), "Manuel test");
}

TEST(OutputPins, CaptionTable) {
    EXPECT_EQ(OutputPinCaption(1), "( Con. 3, Yellow ring, Pin C )");
    EXPECT_EQ(OutputPinCaption(15), "( Con. 3, Yellow ring, Pin D,E )");
    EXPECT_EQ(OutputPinCaption(18), "( Con. 3, Yellow ring, Pin J,K )");
    EXPECT_EQ(OutputPinCaption(19), "( Con. 4, Red ring, Pin 1 )");
    EXPECT_EQ(OutputPinCaption(34), "( Con. 4, Red ring, Pin 16 )");
    EXPECT_EQ(OutputPinCaption(0), "");
    EXPECT_EQ(OutputPinCaption(35), "");
}

TEST_F(GeneralPageTest, LiveValues) {
    live.ShowLiveValues(LinkPacket::make(1, 160, {2, 3, 0x01, 0x2C, 125, 23}));
    EXPECT_EQ(label("lblCurrentSum")->text(), "30.0 A");
    EXPECT_EQ(label("lblVbat")->text(), "12.5 V");
    EXPECT_EQ(label("lblTemp")->text(), QStringLiteral("23 \u00B0C"));
    EXPECT_EQ(label("lblErrors")->text(), "5");
}

TEST_F(GeneralPageTest, ChannelStates) {
    struct Case {
        LinkPacket packet;
        int channel;
        const char* buttonText;
        std::uint32_t buttonColour;
        const char* stateText; // high-power channels only
        std::uint32_t stateColour;
    };
    const Case cases[] = {
        {ChannelState(5, 0xF0, 4), 5, "fail", colour::Red, "OPEN", colour::Red},
        {ChannelState(6, 0x0F, 8), 6, "fail", colour::Red, "OVERLOAD", colour::Red},
        {ChannelState(1, 0xF0, 0, 123), 1, "On", colour::Green, "12.3 A", colour::Green},
        {ChannelState(2, 0xF0, 0, 40, 1), 2, "On", colour::Yellow, "4.0 A", colour::Yellow},
        {ChannelState(3, 0x0F, 0, 0, 1), 3, "Off", colour::Yellow, "--", colour::White},
        {ChannelState(20, 0xF0, 8), 20, "On", colour::Green, nullptr, 0},
        {ChannelState(34, 0xF0, 2), 34, "fail", colour::Red, nullptr, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.channel);
        live.ShowChannelState(c.packet);
        EXPECT_EQ(button(c.channel)->text(), c.buttonText);
        EXPECT_EQ(button(c.channel)->colour(), c.buttonColour);
        EXPECT_EQ(button(c.channel)->fillColour(), FromWindowsColour(c.buttonColour));
        if (c.stateText) {
            EXPECT_EQ(state(c.channel)->text(), c.stateText);
            EXPECT_EQ(Background(state(c.channel)), FromWindowsColour(c.stateColour));
        }
    }
}

TEST_F(GeneralPageTest, ChannelOutOfRangeChangesNothing) {
    live.ShowChannelState(ChannelState(0, 0xF0, 0));
    live.ShowChannelState(ChannelState(35, 0xF0, 0));
    for (int ch = 1; ch <= 34; ++ch)
        EXPECT_EQ(button(ch)->text(), "---") << ch;
}

TEST_F(GeneralPageTest, InputLamps) {
    // Inputs 1, 3 and 11; CAN inputs 1, 10 and 32.
    live.ShowInputStates(LinkPacket::make(1, 161, {0x05, 0x04, 0x01, 0x02, 0x00, 0x80}));
    const std::vector<int> inputsOn{1, 3, 11}, canOn{1, 10, 32};
    auto check = [&](const QString& name, bool on) {
        QLabel* lamp = label(name);
        EXPECT_EQ(lamp->text(), on ? "On" : "Off") << name.toStdString();
        EXPECT_EQ(Background(lamp), FromWindowsColour(on ? colour::Green : colour::ButtonFace))
            << name.toStdString();
    };
    for (int i = 1; i <= 11; ++i)
        check(QStringLiteral("LabelInput%1State").arg(i),
              std::count(inputsOn.begin(), inputsOn.end(), i) > 0);
    for (int n = 1; n <= 32; ++n)
        check(QStringLiteral("Label_CAN_InputState%1").arg(n), std::count(canOn.begin(), canOn.end(), n) > 0);
}

TEST_F(GeneralPageTest, BlankShowsNoData) {
    live.ShowLiveValues(LinkPacket::make(1, 160, {0, 1, 0x01, 0x2C, 125, 23}));
    live.ShowInputStates(LinkPacket::make(1, 161, {0xFF, 0x07, 0xFF, 0xFF, 0xFF, 0xFF}));
    live.ShowChannelState(ChannelState(5, 0xF0, 4));
    live.ShowChannelState(ChannelState(20, 0xF0, 0));
    live.BlankLiveDisplay();
    for (const char* name : {"lblCurrentSum", "lblVbat", "lblTemp", "lblErrors"})
        EXPECT_EQ(label(name)->text(), "--") << name;
    for (int ch = 1; ch <= 34; ++ch) {
        EXPECT_EQ(button(ch)->text(), "Off");
        EXPECT_EQ(button(ch)->colour(), colour::ButtonFace);
    }
    for (int ch = 1; ch <= 18; ++ch) {
        EXPECT_EQ(state(ch)->text(), "--");
        EXPECT_EQ(Background(state(ch)), FromWindowsColour(colour::White));
    }
    EXPECT_EQ(label("LabelInput11State")->text(), "Off");
    EXPECT_EQ(label("Label_CAN_InputState32")->text(), "Off");
}

TEST_F(GeneralPageTest, ModeClicksSetTestModeAndChannelButtons) {
    // Without a unit the choice changes the page only.
    get<QRadioButton>("RadioButtonManuel")->click();
    EXPECT_TRUE(link.frames.empty());
    EXPECT_TRUE(button(7)->isEnabled());
    get<QRadioButton>("RadioButtonAuto")->click();

    session.SetConnected(true);
    get<QRadioButton>("RadioButtonManuel")->click();
    ASSERT_EQ(link.frames.size(), 1u);
    EXPECT_EQ(link.frames[0], Framed(LinkPacket::make(1, 35, {1})));
    EXPECT_EQ(session.testMode(), TestMode::Manual);
    for (int ch = 1; ch <= 34; ++ch)
        EXPECT_TRUE(button(ch)->isEnabled()) << ch;

    // Clicking the choice that is already selected tells the unit again.
    get<QRadioButton>("RadioButtonManuel")->click();
    get<QRadioButton>("RadioButtonAuto")->click();
    ASSERT_EQ(link.frames.size(), 3u);
    EXPECT_EQ(link.frames[1], Framed(LinkPacket::make(1, 35, {1})));
    EXPECT_EQ(link.frames[2], Framed(LinkPacket::make(1, 35, {0})));
    EXPECT_EQ(session.testMode(), TestMode::Auto);
    for (int ch = 1; ch <= 34; ++ch)
        EXPECT_FALSE(button(ch)->isEnabled()) << ch;
}

TEST_F(GeneralPageTest, FollowsTestModeSetElsewhere) {
    session.SetTestMode(TestMode::Manual);
    EXPECT_TRUE(get<QRadioButton>("RadioButtonManuel")->isChecked());
    EXPECT_TRUE(button(34)->isEnabled());
    session.SetTestMode(TestMode::Auto);
    EXPECT_TRUE(get<QRadioButton>("RadioButtonAuto")->isChecked());
    EXPECT_FALSE(button(34)->isEnabled());
}

TEST_F(GeneralPageTest, ChannelButtonClickAsksToToggle) {
    QSignalSpy spy(&page, &GeneralPage::switchChannelRequested);
    page.RadioButtonManuelClick();
    live.ShowChannelState(ChannelState(20, 0xF0, 0));
    button(20)->click(); // shows "On": switch off
    button(4)->click();  // shows "---": switch on
    live.ShowChannelState(ChannelState(5, 0xF0, 4));
    button(5)->click(); // "fail": switch on
    ASSERT_EQ(spy.count(), 3);
    EXPECT_EQ(spy[0], (QVariantList{20, false}));
    EXPECT_EQ(spy[1], (QVariantList{4, true}));
    EXPECT_EQ(spy[2], (QVariantList{5, true}));
}

TEST_F(GeneralPageTest, NameLabels) {
    page.SetOutputName(5, "Headlights");
    page.SetOutputName(34, "Horn");
    page.SetInputName(11, "Ignition");
    page.SetCanInputName(32, "Engine run");
    page.SetOutputName(35, "nowhere"); // ignored
    EXPECT_EQ(label("LabelHighPowerCh5")->text(), "5: Headlights");
    EXPECT_EQ(label("LabelLowPowerCh34")->text(), "34: Horn");
    EXPECT_EQ(label("LabelInputCh11")->text(), "11: Ignition");
    EXPECT_EQ(label("LabelCanInputCh32")->text(), "32: Engine run");
}

TEST_F(GeneralPageTest, FitsTheMainWindow) {
    // 983 x 700 window: the notebook gets about 620 pixels of height.
    QTabWidget notebook;
    auto* sheet = new QWidget;
    GeneralPage::AddTo(*sheet, session);
    notebook.addTab(sheet, "General");
    const QSize need = notebook.minimumSizeHint();
    EXPECT_LE(need.width(), 983);
    EXPECT_LE(need.height(), 620);
}

// A burst of answers is drawn once, with the last values, on the redraw tick.
TEST_F(GeneralPageTest, BurstOfAnswersIsDrawnOnceWithTheLastValues) {
    const int before = page.redraws();
    for (int i = 0; i < 40; ++i) {
        session.Dispatch(LinkPacket::make(1, 160, {0, 0, 0x00, std::uint8_t(i), 125, 23}));
        session.Dispatch(ChannelState(1 + i % 34, 0xF0, 0, i));
    }
    EXPECT_EQ(page.redraws(), before);
    EXPECT_EQ(page.findChild<QLabel*>("lblCurrentSum")->text(), " -- "); // not yet drawn
    page.Flush();
    page.Flush(); // nothing new: no second redraw
    EXPECT_EQ(page.redraws(), before + 1);
    EXPECT_EQ(page.findChild<QLabel*>("lblCurrentSum")->text(), "3.9 A");
    EXPECT_EQ(page.stateLabel(6)->text(), "3.9 A"); // channel 6 last got 39 tenths
}

// A page that has not drawn for a redraw interval draws in the same wake-up,
// not a tick later.
TEST_F(GeneralPageTest, DueRedrawComesOnTheNextPassOfTheEventLoop) {
    const int before = page.redraws();
    session.Dispatch(LinkPacket::make(1, 160, {0, 0, 0x00, 25, 125, 23}));
    QCoreApplication::processEvents();
    EXPECT_EQ(page.redraws(), before + 1);
    EXPECT_EQ(page.findChild<QLabel*>("lblCurrentSum")->text(), "2.5 A");
}

namespace {
struct PaintCounter : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        paints += e->type() == QEvent::Paint;
        return false;
    }
};
} // namespace

// An unchanged value costs no repaint of its label.
TEST_F(GeneralPageTest, UnchangedValueCausesNoRepaint) {
    page.resize(1000, 700);
    page.show();
    const LinkPacket values = LinkPacket::make(1, 160, {0, 0, 0x01, 0x2C, 125, 23});
    const LinkPacket inputs = LinkPacket::make(1, 161, {0x05, 0x00, 0x01, 0x00, 0x00, 0x00});
    session.Dispatch(values);
    session.Dispatch(inputs);
    page.Flush();
    QCoreApplication::processEvents();
    PaintCounter counter;
    QLabel* sum = page.findChild<QLabel*>("lblCurrentSum");
    QLabel* lamp = page.findChild<QLabel*>("LabelInput1State");
    sum->installEventFilter(&counter);
    lamp->installEventFilter(&counter);
    session.Dispatch(values);
    session.Dispatch(inputs);
    page.Flush();
    QCoreApplication::processEvents();
    EXPECT_EQ(counter.paints, 0);
    session.Dispatch(LinkPacket::make(1, 160, {0, 0, 0x01, 0x2D, 125, 23}));
    page.Flush();
    QCoreApplication::processEvents();
    EXPECT_GE(counter.paints, 1); // the changed one is drawn
}
