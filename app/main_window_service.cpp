// Service windows: each is created on demand, fed by the dispatcher while it
// is shown modally, and destroyed when it closes.
#include "app/main_window.h"

#include "forms/service_forms.h"

namespace vm {

int TMainForm::RunServiceWindow(QDialog& dialog, PacketReceiver* receiver, std::optional<ServiceSlot> slot,
                                ServiceExtra extra) {
    if (extra == ServiceExtra::Firmware) {
        // The poll timer runs on this thread: once stopped, no poll is half done.
        Timer1.stop();
        unit_.SetFirmwareUpdate(true);
        ResetLiveDisplay();
    } else if (extra == ServiceExtra::Fia) {
        Timer1.stop();
    }

    int result = QDialog::Rejected;
    {
        std::optional<Publication> publication;
        if (slot && receiver) publication.emplace(unit_.services(), *slot, receiver);
        result = dialog.exec();
    } // withdrawn here: no packet reaches the window once it has closed

    if (extra == ServiceExtra::Firmware) unit_.SetFirmwareUpdate(false);
    if (extra != ServiceExtra::None && currentPage_ == kPageGeneral) Timer1.start();
    return result;
}

int TMainForm::RunServiceTool(ServiceTool tool) {
    const ServiceFormFactory make = ServiceFormOf(tool);
    if (!make) return QDialog::Rejected; // the tool has no window yet
    ServiceContext context{unit_, prompt_, link_.get(), settings_.path};
    ServiceWindow window = make(context, this);
    const ServiceToolInfo& info = ServiceToolOf(tool);
    return RunServiceWindow(*window.dialog, window.receiver, info.slot, info.extra);
}

void TMainForm::MenuFirmwareClick() { RunServiceTool(ServiceTool::Firmware); }
void TMainForm::MenuFIAClick() { RunServiceTool(ServiceTool::Fia); }
void TMainForm::MenuSystemSetupClick() { RunServiceTool(ServiceTool::SystemSetup); }
void TMainForm::MenuCalibrationClick() { RunServiceTool(ServiceTool::Calibration); }
void TMainForm::MenuPingTestClick() { RunServiceTool(ServiceTool::PingTest); }
void TMainForm::MenuRuntimeErrorClick() { RunServiceTool(ServiceTool::RuntimeError); }
void TMainForm::MenuEepromClick() { RunServiceTool(ServiceTool::Eeprom); }

} // namespace vm
