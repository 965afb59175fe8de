#include "forms/service_forms.h"

#include "forms/calibration_form.h"
#include "forms/eeprom_form.h"
#include "forms/ping_form.h"
#include "forms/runtime_error_form.h"
#include "forms/system_setup_form.h"

#include <array>

namespace vm {

namespace {

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
constexpr std::array<FormRow, 5> kForms{{
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
