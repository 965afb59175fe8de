#pragma once
// Read, Upload, Default settings, Open and Save as the user runs them, with
// their questions and waits, written once for the window and the command line.
// Questions go through the prompt, waits through the wait seam.
#include "config/config_file.h"
#include "session/config_transfer.h"
#include "session/wait_seam.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

namespace vm {

class ConfigStore;
class EditTracker;
class UnitSession;
class UserPrompt;

class ConfigWorkflow : public QObject {
    Q_OBJECT
public:
    struct Policy {
        // The window reads the unit after Default settings even when the reset
        // was not confirmed in time; a script stops there.
        bool readAfterFailedReset = true;
        // The window asks "Reboot Target to use new settings?" after any upload
        // (part of the settings may be in the unit); a script reboots only a
        // unit that took the whole configuration.
        bool rebootAfterFailedUpload = true;
        // A script says on stderr that an upload resumed after the device came back.
        bool tellResume = false;
    };

    enum class SaveResult { Saved, Declined, Failed };

    ConfigWorkflow(UnitSession& unit, ConfigStore& store, UserPrompt& prompt, WaitSeam& wait, Policy policy,
                   QObject* parent = nullptr);
    ConfigWorkflow(UnitSession& unit, ConfigStore& store, UserPrompt& prompt, WaitSeam& wait,
                   QObject* parent = nullptr)
        : ConfigWorkflow(unit, store, prompt, wait, Policy{}, parent) {}

    ConfigTransfer& transfer() { return transfer_; }

    // "Is not connected to target, please connect USB" and false when no unit
    // can be talked to.
    bool CheckConnected();
    // The connection test and the version window; tells the verdict and
    // returns false when the unit's software is not supported.
    bool CheckVersion();
    // Every block of the store can be packed; otherwise the first error is shown.
    bool CheckUploadable();

    // Read (F8): version check, then the read chain. True when the chain ended.
    bool Read();
    // Upload (F9): version check, then the upload chain and the reboot question.
    bool Upload();
    // Default settings: question, factory reset, then Read.
    bool FactoryReset();
    // The chains behind Read and Upload, once the version check has passed.
    bool ReadConfiguration();
    bool UploadConfiguration();
    // "Cancel" in the wait: the chain stops where it is.
    void CancelTransfer();

    // The read after (re)connecting. It does not replace edits that were
    // neither uploaded nor saved, nor a configuration whose upload the loss of
    // the device cut short, without asking first.
    void ReadAfterConnect();
    // Where the user's edits are tracked; the workflow marks the points where
    // the store matches the unit or a file again.
    void SetEditTracker(EditTracker* edits) { edits_ = edits; }
    // The last upload was cut short by the loss of the device.
    bool uploadInterrupted() const { return uploadInterrupted_; }

    // Loads a .cfg file: the one chosen when it is there, else the name with
    // ".cfg". A refused file is shown and leaves the store as it was.
    ConfigFileReport Open(const QString& path);
    // Saves to a .cfg file, asking before overwriting; errors are shown.
    SaveResult Save(const QString& path);

    // Set when a block of the running chain could not be packed.
    bool packFailed() const { return packFailed_; }
    // A wait of this workflow is running: no second transfer may start.
    bool busy() const { return busy_; }
    // Times the last upload went on after the device came back.
    int resumes() const { return resumes_; }
    // Handlers of the loss timer and the link events, public for tests.
    void OnLinkLost();
    void OnLinkReopened(int framesStillQueued);
    void OnLossFinal();
    QTimer& lossTimer() { return lossTimer_; }

private:
    WaitResult runWait();

    UnitSession& unit_;
    ConfigStore& store_;
    UserPrompt& prompt_;
    WaitSeam& wait_;
    Policy policy_;
    ConfigTransfer transfer_;
    bool packFailed_ = false;
    bool busy_ = false;
    bool uploadRunning_ = false;
    bool uploadInterrupted_ = false;
    EditTracker* edits_ = nullptr;
    bool linkDown_ = false;
    int resumes_ = 0;
    QElapsedTimer uploadClock_;
    QTimer lossTimer_;
};

// The texts of the flows.
inline constexpr const char* kNotConnectedText = "Is not connected to target, please connect USB";
inline constexpr const char* kRebootQuestion = "Reboot Target to use new settings?";
// The time an upload may take, as long as the wait window's clock.
inline constexpr int kUploadLimitMs = 30'000;
inline constexpr const char* kReconnectReadQuestion =
    "The unit was reconnected. Read its configuration and discard the changes here?";
inline constexpr const char* kUploadAgainQuestion = "Upload the configuration again?";
inline constexpr const char* kFactoryResetQuestion = "This will reset the Voltmast to factory settings?";

} // namespace vm
