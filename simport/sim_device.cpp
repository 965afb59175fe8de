#include "simport/sim_device.h"

#include "link/device_directory.h"
#include "simport/sim_link_port.h"

namespace vm::sim {

std::vector<SimFrame> SimDevice::feed(const std::uint8_t* data, std::size_t count) {
    std::lock_guard lock(mutex_);
    return unit_.feed(data, count);
}

void SimDevice::resetLink() {
    std::lock_guard lock(mutex_);
    unit_.resetLink();
}

std::vector<SimFrame> SimDevice::tick() {
    std::lock_guard lock(mutex_);
    return unit_.tick();
}

std::optional<std::chrono::steady_clock::time_point> SimDevice::nextTick() {
    std::lock_guard lock(mutex_);
    return unit_.nextTick();
}

void SimDevice::setSilent(bool silent) {
    std::lock_guard lock(mutex_);
    unit_.setSilent(silent);
}

void SimDevice::changeState(const std::function<void(SimState&)>& change) {
    std::lock_guard lock(mutex_);
    change(unit_.state());
}

std::shared_ptr<SimDevice> AddSimDevice(SerialPortDirectory& directory, SimOptions options,
                                        const QString& description) {
    auto device = std::make_shared<SimDevice>(std::move(options));
    directory.addInProcess(description, [device, description]() -> std::unique_ptr<LinkPort> {
        return std::make_unique<SimLinkPort>(device, description);
    });
    return device;
}

} // namespace vm::sim
