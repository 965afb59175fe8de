#include "session/service_windows.h"
#include "link/traffic_log.h"

#include <QStringList>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

using namespace vm;

namespace {

struct Recorder : PacketReceiver {
    Recorder(std::vector<int>& log, int id) : log_(log), id_(id) {}
    void ReceivePacket(const LinkPacket&) override {
        log_.push_back(id_);
        if (then) then();
    }
    std::vector<int>& log_;
    int id_;
    std::function<void()> then;
};

constexpr ServiceSlot kAll[] = {ServiceSlot::Ping,    ServiceSlot::SystemSetup, ServiceSlot::Calibration,
                                ServiceSlot::RuntimeError, ServiceSlot::Fia,     ServiceSlot::Eeprom,
                                ServiceSlot::Version};

} // namespace

TEST(ServiceWindows, OffersInDispatchOrderWhateverThePublishingOrder) {
    std::vector<int> seen;
    std::vector<std::unique_ptr<Recorder>> receivers;
    ServiceWindows windows;
    for (int i = 6; i >= 0; --i) { // publish backwards
        receivers.push_back(std::make_unique<Recorder>(seen, i));
        windows.publish(kAll[i], receivers.back().get());
    }
    windows.offer(LinkPacket::make(1, 135));
    EXPECT_EQ(seen, (std::vector<int>{0, 1, 2, 3, 4, 5, 6}));
}

TEST(ServiceWindows, WithdrawnWindowsGetNothing) {
    std::vector<int> seen;
    Recorder fia(seen, 4), version(seen, 6);
    ServiceWindows windows;
    {
        Publication shown(windows, ServiceSlot::Fia, &fia);
        windows.publish(ServiceSlot::Version, &version);
        windows.offer(LinkPacket::make(1, 1));
    }
    EXPECT_EQ(windows.published(ServiceSlot::Fia), nullptr);
    windows.withdraw(ServiceSlot::Version);
    windows.offer(LinkPacket::make(1, 1));
    EXPECT_EQ(seen, (std::vector<int>{4, 6}));
}

TEST(ServiceWindows, AReceiverClosingALaterOneStopsItsDelivery) {
    std::vector<int> seen;
    Recorder ping(seen, 0), eeprom(seen, 5);
    ServiceWindows windows;
    windows.publish(ServiceSlot::Ping, &ping);
    windows.publish(ServiceSlot::Eeprom, &eeprom);
    ping.then = [&] { windows.withdraw(ServiceSlot::Eeprom); };
    windows.offer(LinkPacket::make(0, 2));
    EXPECT_EQ(seen, std::vector<int>{0});
}
