#include "forms/service_forms.h"

#include "forms/calibration_form.h"
#include "forms/eeprom_form.h"
#include "forms/fia_form.h"
#include "forms/firmware_form.h"
#include "forms/ping_form.h"
#include "forms/runtime_error_form.h"
#include "forms/system_setup_form.h"
#include "link/usb_thread.h"
#include "protocol/message_catalogue.h"
#include "session/unit_session.h"

#include <array>

namespace vm {

namespace {

// No link to route (a window opened without one): closed, sends go nowhere.
class ClosedRawLink : public RawLink {
public:
    bool RouteRaw(bool) override { return false; }
    void SendRaw(const std::uint8_t*, int) override {}
};

ServiceWindow MakeFirmware(ServiceContext& context, QWidget* parent) {
    std::unique_ptr<RawLink> raw;
    if (context.link)
        raw = std::make_unique<UsbRawLink>(*context.link);
    else
        raw = std::make_unique<ClosedRawLink>();
    UnitSession& unit = context.unit;
    auto reboot = [&unit] { unit.Send(LinkPacket::make(kGroupApp, msg::REBOOT_REQ)); };
    auto form =
        std::make_unique<TFirmware>(std::move(raw), context.prompt, context.settingsPath, reboot, parent);
    if (context.link) {
        QObject::connect(context.link, &UsbThread::rawBytesReceived, form.get(), &TFirmware::ReceiveBytes);
        QObject::connect(context.link, &UsbThread::deviceLost, form.get(), &TFirmware::OnDeviceLost);
    }
    return {std::move(form), nullptr};
}

ServiceWindow MakeFia(ServiceContext& context, QWidget* parent) {
    UnitSession& unit = context.unit;
    auto form = std::make_unique<TFIA_Form>(
        unit.link(), context.prompt, context.settingsPath, [&unit] { return unit.stats().version; }, parent);
    PacketReceiver* receiver = form.get();
    return {std::move(form), receiver};
}

struct FormRow {
    ServiceTool tool;
    ServiceFormFactory make;
};

// The window and, as its receiver, the logic class it is thin over.
template <class Form> ServiceWindow Make(ServiceContext& context, QWidget* parent) {
    auto form = std::make_unique<Form>(context, parent);
    PacketReceiver* receiver = &form->logic();
    return {std::move(form), receiver};
}

template <> ServiceWindow Make<TEEPROMForm>(ServiceContext& context, QWidget* parent) {
    auto form = std::make_unique<TEEPROMForm>(context, parent);
    PacketReceiver* receiver = &form->transfer();
    return {std::move(form), receiver};
}

// One row per tool that has its window.
constexpr std::array<FormRow, 7> kForms{{
    {ServiceTool::Firmware, MakeFirmware},
    {ServiceTool::Fia, MakeFia},
    {ServiceTool::SystemSetup, Make<TSystemSetupForm>},
    {ServiceTool::Calibration, Make<TCalibrationForm>},
    {ServiceTool::PingTest, Make<TPingForm>},
    {ServiceTool::RuntimeError, Make<TRunTimeErrorForm>},
    {ServiceTool::Eeprom, Make<TEEPROMForm>},
}};

} // namespace

ServiceFormFactory ServiceFormOf(ServiceTool tool) {
    for (const FormRow& row : kForms)
        if (row.tool == tool) return row.make;
    return nullptr;
}

} // namespace vm
