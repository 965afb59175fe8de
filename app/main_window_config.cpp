// Moving the configuration: Read, Upload, Default settings, Open and Save. The
// flows live in the workflow; the window adds its dialogs and remembered path.
#include "app/main_window.h"

#include "config/config_file.h"
#include "session/can_monitor_control.h"
#include "session/user_prompt.h"

namespace vm {

namespace {
const QString kConfigFilter = QStringLiteral("config files (*.cfg *.CFG)");
}

void TMainForm::AfterMonitorOff(bool (ConfigWorkflow::*command)()) {
    // While an earlier command waits out the pause, F8/F9 start nothing more.
    monitor_->SwitchOffThen([this, command] { (workflow_.get()->*command)(); });
}

void TMainForm::BtnLoadClick() { AfterMonitorOff(&ConfigWorkflow::Read); }

void TMainForm::BtnSaveClick() { AfterMonitorOff(&ConfigWorkflow::Upload); }

void TMainForm::ReadConfiguration() { workflow_->ReadConfiguration(); }

void TMainForm::UploadConfiguration() { workflow_->UploadConfiguration(); }

void TMainForm::BtnDefaultValueClick() { AfterMonitorOff(&ConfigWorkflow::FactoryReset); }

void TMainForm::MenuOpenClick() {
    const QString path = prompt_.AskOpenFile(kConfigFilter, settings_.configPath);
    if (path.isEmpty()) return;
    workflow_->Open(path);
}

void TMainForm::MenuSaveClick() {
    const QString path = prompt_.AskSaveFile(kConfigFilter, QStringLiteral("cfg"), settings_.configPath);
    if (path.isEmpty()) return;
    // Only a file that was written is worth starting the next dialog at.
    if (workflow_->Save(path) == ConfigWorkflow::SaveResult::Saved) settings_.configPath = ForceCfgExtension(path);
}

} // namespace vm
