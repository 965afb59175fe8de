// Service windows: each is created on demand, fed by the dispatcher while it
// is shown modally, and destroyed when it closes.
#include "app/main_window.h"

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

// Filled in as the service windows arrive.
void TMainForm::MenuFirmwareClick() {}
void TMainForm::MenuFIAClick() {}
void TMainForm::MenuSystemSetupClick() {}
void TMainForm::MenuCalibrationClick() {}
void TMainForm::MenuPingTestClick() {}
void TMainForm::MenuRuntimeErrorClick() {}
void TMainForm::MenuEepromClick() {}

} // namespace vm
