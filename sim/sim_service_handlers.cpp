// Answers for the service tools: ping, runtime error log, EEPROM (group 0),
// production data, calibration and the system log reset (group 1).
#include "sim/sim_handlers.h"

#include <algorithm>
#include <cmath>

namespace vm::sim {

SimServiceData::SimServiceData() {
    // A recognisable image: the address's low byte, and a name at the start.
    for (int a = 0; a < kEepromSize; ++a)
        eeprom[static_cast<std::size_t>(a)] = static_cast<std::uint8_t>(a * 7);
    const char name[] = "VOLTMAST EEPROM";
    std::copy(name, name + sizeof name - 1, eeprom.begin());
    for (int ch = 1; ch <= kCalibratedChannels; ++ch) {
        auto& c = calibration[static_cast<std::size_t>(ch)];
        c.zeroAd = static_cast<std::uint16_t>(8 + ch % 5);
        c.offset = static_cast<std::uint8_t>(c.zeroAd);
        c.ad = static_cast<std::uint16_t>(c.zeroAd + (ch % 3 == 0 ? 290 : 40 + 10 * ch));
        c.ratio = static_cast<std::uint16_t>(8000 + 25 * ch);
    }
    addSampleErrors();
}

void SimServiceData::addSampleErrors() {
    errorLog.push_back({"can_rx.c", 4660, 3, {0x0A, 0xFF}});
    errorLog.push_back({"output_drv.c", 212, 1, {0x05, 0x08, 0x00, 0x12}});
}

std::uint16_t SimServiceData::currentTenths(int channel) const {
    if (channel < 1 || channel > kCalibratedChannels) return 0;
    const auto& c = calibration[static_cast<std::size_t>(channel)];
    const int span = (calibrationFlags & 2) ? std::max(0, c.ad - c.offset) : c.ad;
    const double ratio = (calibrationFlags & 4) ? c.ratio : 10000.0;
    // The tool's ratio rule turned round: amperes = ratio × span × 10.39 ÷ 1 000 000.
    return static_cast<std::uint16_t>(std::lround(ratio * span * 10.39 / 100000.0));
}

namespace {

constexpr int kPingCountPos = 4;

LinkPacket Service(std::uint8_t command, const std::vector<std::uint8_t>& payload) {
    return LinkPacket::make(kGroupService, command, payload.data(), static_cast<int>(payload.size()));
}

void PingReq(SimState& state, const LinkPacket& request, SimReplies& out) {
    auto& s = state.service;
    const long long n = ++s.pings;
    if (s.pingDropEvery > 0 && n % s.pingDropEvery == 0) return;
    // Echo whatever payload the request declares (the assembler guarantees it arrived).
    LinkPacket echo =
        LinkPacket::make(kGroupService, msg::PING_CFM, &request.bytes[4], request.payloadSize());
    if (s.pingCorruptEvery > 0 && n % s.pingCorruptEvery == 0) {
        // Wrong data under a right checksum: the echo arrives, its bytes differ.
        const int count = std::clamp<int>(echo.at(kPingCountPos), 0, echo.length() - 5);
        const int at = count > 0 ? 5 : kPingCountPos;
        echo.bytes[static_cast<std::size_t>(at)] ^= 0x01;
        echo.seal();
    }
    out.push_back(echo);
}

void ErrorLogCountReq(SimState& state, const LinkPacket&, SimReplies& out) {
    const auto count = std::min<std::size_t>(state.service.errorLog.size(), 255);
    out.push_back(Service(msg::ERROR_LOG_COUNT, {static_cast<std::uint8_t>(count)}));
}

void ErrorLogEntryReq(SimState& state, const LinkPacket& request, SimReplies& out) {
    if (request.length() < 5) return;
    const int number = request.payload(0);
    const auto& log = state.service.errorLog;
    if (number < 1 || number > static_cast<int>(std::min<std::size_t>(log.size(), 255))) return;
    const ErrorLogEntry& e = log[static_cast<std::size_t>(number - 1)];
    std::vector<std::uint8_t> p(17, 0);
    p[0] = static_cast<std::uint8_t>(number);
    std::copy_n(e.file.begin(), std::min<std::size_t>(e.file.size(), 12), p.begin() + 1);
    p[13] = static_cast<std::uint8_t>(e.line);
    p[14] = static_cast<std::uint8_t>(e.line >> 8);
    p[15] = e.count;
    const std::size_t n = std::min<std::size_t>(e.data.size(), 16);
    p[16] = static_cast<std::uint8_t>(n);
    p.insert(p.end(), e.data.begin(), e.data.begin() + static_cast<std::ptrdiff_t>(n));
    out.push_back(Service(msg::ERROR_LOG_ENTRY, p));
}

void ErrorLogReset(SimState& state, const LinkPacket&, SimReplies& out) {
    state.service.errorLog.clear();
    out.push_back(Service(msg::ERROR_LOG_RESET_DONE, {}));
}

// Address of an EEPROM request whose block lies inside the EEPROM, or -1.
int EepromAddress(const LinkPacket& request, int length) {
    if (request.length() < length || request.payload(0) != 16) return -1;
    const int address = request.payload(1) | (request.payload(2) << 8);
    return address + 16 <= kEepromSize ? address : -1;
}

void EepromRead(SimState& state, const LinkPacket& request, SimReplies& out) {
    const int address = EepromAddress(request, 7);
    if (address < 0) return; // nothing there: the tool's timer tells
    std::vector<std::uint8_t> p = {16, static_cast<std::uint8_t>(address),
                                   static_cast<std::uint8_t>(address >> 8)};
    p.insert(p.end(), state.service.eeprom.begin() + address, state.service.eeprom.begin() + address + 16);
    out.push_back(Service(msg::EEPROM_DATA, p));
}

void EepromWrite(SimState& state, const LinkPacket& request, SimReplies& out) {
    const int address = EepromAddress(request, 23);
    if (address < 0) return;
    std::copy_n(&request.bytes[7], 16, state.service.eeprom.begin() + address);
    out.push_back(Service(msg::EEPROM_WRITE_DONE,
                          {16, static_cast<std::uint8_t>(address), static_cast<std::uint8_t>(address >> 8)}));
}

LinkPacket App(std::uint8_t command, const std::vector<std::uint8_t>& payload) {
    return LinkPacket::make(kGroupApp, command, payload.data(), static_cast<int>(payload.size()));
}

void SystemSetupRead(SimState& state, const LinkPacket&, SimReplies& out) {
    const ProductionRecord& r = state.service.production;
    out.push_back(App(msg::SYSTEM_SETUP,
                      {static_cast<std::uint8_t>(r.serial >> 24), static_cast<std::uint8_t>(r.serial >> 16),
                       static_cast<std::uint8_t>(r.serial >> 8), static_cast<std::uint8_t>(r.serial), r.week,
                       r.yearSince2000, r.hardware}));
}

void SystemSetupWrite(SimState& state, const LinkPacket& request, SimReplies& out) {
    ProductionRecord& r = state.service.production;
    r.serial = (std::uint32_t(request.payload(0)) << 24) | (std::uint32_t(request.payload(1)) << 16) |
               (std::uint32_t(request.payload(2)) << 8) | request.payload(3);
    r.week = request.payload(4);
    r.yearSince2000 = request.payload(5);
    r.hardware = request.payload(6);
    out.push_back(App(msg::SYSTEM_SETUP_WRITE_DONE, {}));
}

void CalibrationRead(SimState& state, const LinkPacket& request, SimReplies& out) {
    const int ch = request.payload(0);
    if (ch < 1 || ch > kCalibratedChannels) return;
    const auto& c = state.service.calibration[static_cast<std::size_t>(ch)];
    const std::uint16_t current = state.service.currentTenths(ch);
    out.push_back(App(msg::CALIBRATION_DATA,
                      {static_cast<std::uint8_t>(ch), c.offset, static_cast<std::uint8_t>(c.ratio >> 8),
                       static_cast<std::uint8_t>(c.ratio), static_cast<std::uint8_t>(current >> 8),
                       static_cast<std::uint8_t>(current), static_cast<std::uint8_t>(c.ad >> 8),
                       static_cast<std::uint8_t>(c.ad)}));
}

void CalibrationSet(SimState& state, const LinkPacket& request, SimReplies& out) {
    const int ch = request.payload(0);
    if (ch < 1 || ch > kCalibratedChannels) return;
    state.service.calibration[static_cast<std::size_t>(ch)].ratio =
        static_cast<std::uint16_t>((request.payload(1) << 8) | request.payload(2));
    out.push_back(App(msg::CALIBRATION_SET_DONE, {static_cast<std::uint8_t>(ch)}));
}

void CalibrationMode(SimState& state, const LinkPacket& request, SimReplies&) {
    state.service.calibrationFlags = request.payload(0) & 6;
}

void CalibrationAdOffset(SimState& state, const LinkPacket&, SimReplies& out) {
    for (int ch = 1; ch <= kCalibratedChannels; ++ch) {
        auto& c = state.service.calibration[static_cast<std::size_t>(ch)];
        c.offset = static_cast<std::uint8_t>(std::min<int>(c.zeroAd, 255));
    }
    out.push_back(App(msg::CALIBRATION_AD_OFFSET_DONE, {}));
}

void SystemLogReset(SimState& state, const LinkPacket&, SimReplies& out) {
    ++state.service.systemLogResets;
    out.push_back(App(msg::SYSTEM_LOG_RESET_DONE, {}));
}

} // namespace

void AddServiceToolHandlers(SimHandlerTable& table) {
    table.add(kGroupService, msg::PING_REQ, PingReq);
    table.add(kGroupService, msg::ERROR_LOG_COUNT_REQ, ErrorLogCountReq);
    table.add(kGroupService, msg::ERROR_LOG_ENTRY_REQ, ErrorLogEntryReq);
    table.add(kGroupService, msg::ERROR_LOG_RESET, ErrorLogReset);
    table.add(kGroupService, msg::EEPROM_READ, EepromRead);
    table.add(kGroupService, msg::EEPROM_WRITE, EepromWrite);
    table.add(kGroupApp, msg::SYSTEM_SETUP_READ, SystemSetupRead);
    table.add(kGroupApp, msg::SYSTEM_SETUP_WRITE, SystemSetupWrite);
    table.add(kGroupApp, msg::CALIBRATION_READ, CalibrationRead);
    table.add(kGroupApp, msg::CALIBRATION_SET, CalibrationSet);
    table.add(kGroupApp, msg::CALIBRATION_MODE, CalibrationMode);
    table.add(kGroupApp, msg::CALIBRATION_AD_OFFSET, CalibrationAdOffset);
    table.add(kGroupApp, msg::SYSTEM_LOG_RESET, SystemLogReset);
}

} // namespace vm::sim
