#include "session/live_status.h"
#include "protocol/message_catalogue.h"

#include <gtest/gtest.h>

using namespace vm;

namespace {
LinkPacket channelState(int channel, int sw, int fault, int current = 0, int highlight = 0) {
    return LinkPacket::make(1, msg::CHANNEL_STATE,
                            {std::uint8_t(channel), std::uint8_t(sw), std::uint8_t(fault), std::uint8_t(current >> 8),
                             std::uint8_t(current & 0xFF), std::uint8_t(highlight)});
}
} // namespace

TEST(LiveStatus, LiveValuesTexts) {
    LiveStatus s;
    s.ShowLiveValues(LinkPacket::make(1, msg::LIVE_VALUES, {2, 3, 0x01, 0x2C, 125, 31}));
    EXPECT_EQ(s.currentSum(), "30.0 A");
    EXPECT_EQ(s.batteryVoltage(), "12.5 V");
    EXPECT_EQ(s.temperature(), QString("31 \u00B0C"));
    EXPECT_EQ(s.errors(), "5");
    s.ShowLiveValues(LinkPacket::make(1, msg::LIVE_VALUES, {255, 255, 0xFF, 0xFF, 0, 0}));
    EXPECT_EQ(s.currentSum(), "6553.5 A");
    EXPECT_EQ(s.errors(), "510");
}

TEST(LiveStatus, ChannelStateRules) {
    struct Case {
        int channel, sw, fault, current, highlight;
        const char* button;
        std::uint32_t buttonColour;
        const char* state; // high-power only
        std::uint32_t stateColour;
    };
    const Case cases[] = {
        {5, 0x0F, 4, 0, 0, "fail", colour::Red, "OPEN", colour::Red},
        {5, 0xF0, 1, 0, 0, "fail", colour::Red, "-SHORT", colour::Red},
        {5, 0xF0, 2, 0, 0, "fail", colour::Red, "+SHORT", colour::Red},
        {18, 0xF0, 8, 0, 0, "fail", colour::Red, "OVERLOAD", colour::Red},
        {1, 0xF0, 0, 57, 0, "On", colour::Green, "5.7 A", colour::Green},
        {1, 0xF0, 3, 57, 1, "On", colour::Yellow, "5.7 A", colour::Yellow},
        {2, 0x0F, 0, 0, 0, "Off", colour::ButtonFace, "--", colour::White},
        {2, 0x00, 0, 0, 1, "Off", colour::Yellow, "--", colour::White},
        {20, 0xF0, 8, 0, 0, "On", colour::Green, nullptr, 0},
        {20, 0xF0, 4, 0, 0, "fail", colour::Red, nullptr, 0},
        {19, 0xF0, 0, 0, 1, "On", colour::Yellow, nullptr, 0},
        {34, 0x0F, 4, 0, 0, "Off", colour::ButtonFace, nullptr, 0},
        {34, 0x0F, 0, 0, 1, "Off", colour::Yellow, nullptr, 0},
    };
    for (const Case& c : cases) {
        LiveStatus s;
        ASSERT_TRUE(s.ShowChannelState(channelState(c.channel, c.sw, c.fault, c.current, c.highlight)));
        const ChannelView& v = s.channel(c.channel);
        EXPECT_EQ(v.buttonText, c.button) << c.channel << "/" << c.fault;
        EXPECT_EQ(v.buttonColour, c.buttonColour) << c.channel << "/" << c.fault;
        if (c.state) {
            EXPECT_EQ(v.stateText, c.state) << c.channel;
            EXPECT_EQ(v.stateColour, c.stateColour) << c.channel;
        }
    }
}

TEST(LiveStatus, ChannelsOutOfRangeChangeNothing) {
    LiveStatus s;
    int changes = 0;
    QObject::connect(&s, &LiveStatus::channelChanged, [&] { ++changes; });
    EXPECT_FALSE(s.ShowChannelState(channelState(0, 0xF0, 0)));
    EXPECT_FALSE(s.ShowChannelState(channelState(35, 0xF0, 0)));
    EXPECT_EQ(changes, 0);
    for (int n = 1; n <= 34; ++n) EXPECT_EQ(s.channel(n).buttonText, "---");
}

TEST(LiveStatus, InputBitsAndBlanking) {
    LiveStatus s;
    s.ShowInputStates(LinkPacket::make(1, msg::INPUT_STATE, {0x81, 0x04, 0x01, 0x00, 0x80, 0xFF}));
    EXPECT_TRUE(s.input(1));
    EXPECT_TRUE(s.input(8));
    EXPECT_FALSE(s.input(2));
    EXPECT_TRUE(s.input(11));
    EXPECT_TRUE(s.canInput(1));
    EXPECT_FALSE(s.canInput(2));
    EXPECT_TRUE(s.canInput(24));
    for (int n = 25; n <= 32; ++n) EXPECT_TRUE(s.canInput(n));

    s.ShowChannelState(channelState(3, 0xF0, 0, 10));
    s.BlankLiveDisplay();
    EXPECT_EQ(s.currentSum(), "--");
    EXPECT_EQ(s.channel(3).buttonText, "Off");
    EXPECT_EQ(s.channel(3).stateText, "--");
    EXPECT_FALSE(s.input(1));
    EXPECT_FALSE(s.canInput(32));
}
