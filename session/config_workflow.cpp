#include "session/config_workflow.h"

#include "config/block_layouts.h"
#include "config/config_file.h"
#include "config/config_store.h"
#include "protocol/message_catalogue.h"
#include "session/edit_tracker.h"
#include "session/service_windows.h"
#include "session/unit_session.h"
#include "session/user_prompt.h"
#include "session/version_check.h"

#include <QFileInfo>
#include <algorithm>

namespace vm {

ConfigWorkflow::ConfigWorkflow(UnitSession& unit, ConfigStore& store, UserPrompt& prompt, WaitSeam& wait,
                               Policy policy, QObject* parent)
    : QObject(parent), unit_(unit), store_(store), prompt_(prompt), wait_(wait), policy_(policy),
      transfer_(unit, store) {
    connect(&transfer_, &ConfigTransfer::chainEnded, this, [this] { wait_.EndWait(WaitResult::Done); });
    connect(&unit_, &UnitSession::factoryResetDone, this, [this] { wait_.EndWait(WaitResult::Done); });
    // Raised inside the receive dispatch: the message box must not run there,
    // or bytes arriving during it would re-enter the frame assembler.
    connect(&transfer_, &ConfigTransfer::packFailed, this, [this] { packFailed_ = true; });
    connect(&transfer_, &ConfigTransfer::packFailed, this,
            [this](const QString& text) { prompt_.ShowError(text); }, Qt::QueuedConnection);
    connect(&unit_, &UnitSession::linkLost, this, &ConfigWorkflow::OnLinkLost);
    connect(&unit_, &UnitSession::linkReopened, this, &ConfigWorkflow::OnLinkReopened);
    lossTimer_.setSingleShot(true);
    connect(&lossTimer_, &QTimer::timeout, this, &ConfigWorkflow::OnLossFinal);
}

void ConfigWorkflow::OnLinkLost() {
    if (!uploadRunning_ || linkDown_) return;
    linkDown_ = true;
    // The upload waits for the device as long as its time limit allows, and
    // ends just before the wait would time out, saying what the unit holds.
    const qint64 left = kUploadLimitMs - 100 - uploadClock_.elapsed();
    lossTimer_.start(static_cast<int>(std::max<qint64>(0, left)));
}

void ConfigWorkflow::OnLinkReopened(int framesStillQueued) {
    if (!uploadRunning_ || !linkDown_) return;
    linkDown_ = false;
    lossTimer_.stop();
    ++resumes_;
    if (policy_.tellResume) prompt_.ShowMessage(QStringLiteral("USB CONNECTED again: the upload goes on"));
    // A request still queued goes out now; one lost on the way is sent again.
    if (framesStillQueued == 0 && transfer_.uploading()) transfer_.ResendCurrentBlock();
}

void ConfigWorkflow::OnLossFinal() {
    if (uploadRunning_ && linkDown_) wait_.EndWait(WaitResult::DeviceLost);
}

bool ConfigWorkflow::CheckConnected() {
    const SessionState& s = unit_.state();
    if (s.connected && !s.firmwareUpdate) return true;
    prompt_.ShowMessage(QString::fromLatin1(kNotConnectedText));
    return false;
}

bool ConfigWorkflow::CheckVersion() {
    if (!CheckConnected()) return false;
    VersionCheck check;
    {
        Publication publication(unit_.services(), ServiceSlot::Version, &check);
        wait_.RunVersionCheck(check);
    }
    const QString message = VerdictMessage(check.verdict());
    if (message.isEmpty()) return true;
    prompt_.ShowMessage(message);
    return false;
}

WaitResult ConfigWorkflow::runWait() {
    unit_.SetTransferInProgress(true);
    busy_ = true;
    const WaitResult result = wait_.RunWait();
    busy_ = false;
    unit_.SetTransferInProgress(false);
    return result;
}

// F8, F9, Default settings or the read after a reconnect while a wait runs
// (a modal wait does not stop timers and shortcuts of every kind) start nothing.
bool ConfigWorkflow::Read() { return !busy_ && CheckVersion() && ReadConfiguration(); }

bool ConfigWorkflow::Upload() { return !busy_ && CheckUploadable() && CheckVersion() && UploadConfiguration(); }

bool ConfigWorkflow::CheckUploadable() {
    // Every block is packed before the first is sent: an upload never stops
    // halfway on a text the unit cannot take.
    const QString error = FirstUploadError(store_);
    if (error.isEmpty()) return true;
    prompt_.ShowError(error);
    return false;
}

bool ConfigWorkflow::ReadConfiguration() {
    if (busy_) return false;
    transfer_.StartRead();
    const WaitResult result = runWait();
    unit_.SetConfigFromUnit(); // however the wait ended
    if (result != WaitResult::Done) return false;
    if (edits_) edits_->MarkClean();
    uploadInterrupted_ = false;
    return true;
}

void ConfigWorkflow::ReadAfterConnect() {
    if (busy_) return;
    if (uploadInterrupted_) {
        if (prompt_.ConfirmDefaultNo(QString::fromLatin1(kUploadAgainQuestion))) Upload();
        return;
    }
    if (edits_ && edits_->modified() && !prompt_.ConfirmDefaultNo(QString::fromLatin1(kReconnectReadQuestion)))
        return;
    Read();
}

bool ConfigWorkflow::UploadConfiguration() {
    if (busy_ || !CheckUploadable()) return false;
    packFailed_ = false;
    transfer_.StartUpload();
    unit_.SetTransferInProgress(true);
    busy_ = true;
    uploadRunning_ = true;
    linkDown_ = false;
    resumes_ = 0;
    uploadClock_.start();
    const WaitResult result = wait_.RunWait();
    uploadRunning_ = false;
    lossTimer_.stop();
    const bool complete = result == WaitResult::Done && !packFailed_;
    // A chain that did not end must not go on while the question is up (a
    // late acknowledgement would send further blocks into a rebooting unit).
    if (result != WaitResult::Done) transfer_.CancelTransfer();
    uploadInterrupted_ = result == WaitResult::DeviceLost;
    if (complete && edits_) edits_->MarkClean();
    if (result == WaitResult::DeviceLost) {
        const int held = transfer_.blocksAcknowledged();
        prompt_.ShowError(QStringLiteral("USB DISCONNECTED during the upload: the unit holds part of the new "
                                         "configuration (blocks 1-%1 of %2). Upload again.")
                              .arg(held)
                              .arg(ConfigTransfer::kUploadBlocks));
        busy_ = false;
        unit_.SetTransferInProgress(false);
        return false; // nobody to reboot
    }
    // Asked even after a time-out or cancel: part of the settings may be in the unit.
    if ((complete || policy_.rebootAfterFailedUpload) && prompt_.Confirm(QString::fromLatin1(kRebootQuestion)))
        unit_.Send(LinkPacket::make(kGroupApp, msg::REBOOT_REQ));
    busy_ = false;
    unit_.SetTransferInProgress(false);
    return complete;
}

bool ConfigWorkflow::FactoryReset() {
    if (busy_ || !CheckConnected()) return false;
    if (!prompt_.Confirm(QString::fromLatin1(kFactoryResetQuestion))) return false;
    transfer_.StartFactoryReset();
    const bool reset = runWait() == WaitResult::Done;
    if (!reset && !policy_.readAfterFailedReset) return false;
    const bool read = Read(); // show the unit's factory configuration
    return reset && read;
}

void ConfigWorkflow::CancelTransfer() {
    transfer_.CancelTransfer();
    wait_.EndWait(WaitResult::Cancelled);
}

ConfigFileReport ConfigWorkflow::Open(const QString& path) {
    // The file the user chose when it is there ("UNIT.CFG"), else the forced extension.
    const QString file = QFileInfo(path).isFile() ? path : ForceCfgExtension(path);
    // A file carries no unit name: the one the unit reported (or the user
    // typed) stays, so an upload does not erase the unit's name.
    const ConfigFileReport report = ReadConfigFile(store_, file);
    if (!report.ok) {
        prompt_.ShowError(report.error);
        return report;
    }
    unit_.MarkNamesDirty();
    unit_.SetConfigFromFile(QFileInfo(file).fileName());
    if (edits_) edits_->MarkClean();
    return report;
}

ConfigWorkflow::SaveResult ConfigWorkflow::Save(const QString& path) {
    const QString file = ForceCfgExtension(path);
    if (QFileInfo::exists(file) &&
        !prompt_.ConfirmWarning(QStringLiteral("File already exists: '%1'\nOverwrite ?").arg(file)))
        return SaveResult::Declined;
    QString error;
    if (SaveConfigFile(store_, file, &error)) {
        if (edits_) edits_->MarkClean();
        return SaveResult::Saved;
    }
    prompt_.ShowError(error);
    return SaveResult::Failed;
}

} // namespace vm
