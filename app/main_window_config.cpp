// Moving the configuration: Read, Upload, Default settings, Open and Save. The
// flows live in the workflow; the window adds its dialogs and remembered path.
#include "app/main_window.h"

#include "config/config_file.h"
#include "session/user_prompt.h"

namespace vm {

namespace {
const QString kConfigFilter = QStringLiteral("config files (*.cfg *.CFG)");
}

void TMainForm::BtnLoadClick() { workflow_->Read(); }

void TMainForm::BtnSaveClick() { workflow_->Upload(); }

void TMainForm::ReadConfiguration() { workflow_->ReadConfiguration(); }

void TMainForm::UploadConfiguration() { workflow_->UploadConfiguration(); }

void TMainForm::BtnDefaultValueClick() { workflow_->FactoryReset(); }

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
