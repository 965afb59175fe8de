// Moving the configuration: Read, Upload, Default settings, Open and Save.
#include "app/main_window.h"

#include "forms/update_form.h"
#include "session/user_prompt.h"
#include "config/config_file.h"
#include "protocol/message_catalogue.h"
#include "forms/version_form.h"

#include <QFileInfo>

namespace vm {

namespace {
const QString kConfigFilter = QStringLiteral("config files (*.cfg *.CFG)");
}

bool TMainForm::CheckVersion() {
    if (!CheckConnected()) return false;
    TVersionForm form(this);
    {
        Publication publication(unit_.services(), ServiceSlot::Version, &form);
        form.exec();
    }
    const QString message = VerdictMessage(form.verdict());
    if (message.isEmpty()) return true;
    prompt_.ShowMessage(message);
    return false;
}

void TMainForm::RunWaitWindow() {
    unit_.state().transferInProgress = 1;
    UpdateForm->exec();
    unit_.state().transferInProgress = 0;
}

void TMainForm::BtnLoadClick() {
    if (CheckVersion()) ReadConfiguration();
}

void TMainForm::BtnSaveClick() {
    if (CheckVersion()) UploadConfiguration();
}

void TMainForm::ReadConfiguration() {
    transfer_.StartRead();
    RunWaitWindow();
    unit_.state().configFromUnit = 1; // however the window closed
}

void TMainForm::UploadConfiguration() {
    transfer_.StartUpload();
    unit_.state().transferInProgress = 1;
    UpdateForm->exec();
    // Asked even after a time-out or cancel: part of the settings may be in the unit.
    if (prompt_.Confirm(QStringLiteral("Reboot Target to use new settings?")))
        unit_.Send(LinkPacket::make(kGroupApp, msg::REBOOT_REQ));
    unit_.state().transferInProgress = 0;
}

void TMainForm::BtnDefaultValueClick() {
    if (!CheckConnected()) return;
    if (!prompt_.Confirm(QStringLiteral("This will reset the Voltmast to factory settings?"))) return;
    transfer_.StartFactoryReset();
    RunWaitWindow();
    BtnLoadClick(); // show the unit's factory configuration
}

void TMainForm::MenuOpenClick() {
    const QString path = prompt_.AskOpenFile(kConfigFilter, settings_.configPath);
    if (path.isEmpty()) return;
    store_.setBoxName(QString());
    unit_.state().namesDirty = 1;
    const QString file = ForceCfgExtension(path);
    LoadConfigFile(store_, file);
    settings_.configPath = file;
    unit_.state().configFileName = QFileInfo(file).fileName();
    unit_.state().configFromFile = 1;
    unit_.state().configFromUnit = 0;
}

void TMainForm::MenuSaveClick() {
    const QString path = prompt_.AskSaveFile(kConfigFilter, QStringLiteral("cfg"), settings_.configPath);
    if (path.isEmpty()) return;
    const QString file = ForceCfgExtension(path);
    if (QFileInfo::exists(file) &&
        !prompt_.ConfirmWarning(QStringLiteral("File already exists: '%1'\nOverwrite ?").arg(file)))
        return;
    settings_.configPath = file;
    QString error;
    if (!SaveConfigFile(store_, file, &error)) prompt_.ShowError(error);
}

} // namespace vm
