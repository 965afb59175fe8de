#pragma once
// "Firmware": loads an Intel HEX file and hands it to the unit's bootloader.
// A thin window over FirmwareUpdate, which takes the link's raw bytes while
// this window exists.
#include "tools/firmware/firmware_update.h"

#include <QDialog>
#include <functional>
#include <memory>

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace vm {

class UserPrompt;

class TFirmware : public QDialog {
    Q_OBJECT
public:
    // reboot: sends the unit's reboot request; null when there is no unit to send it to.
    TFirmware(std::unique_ptr<RawLink> link, UserPrompt& prompt, QString settingsPath,
              std::function<void()> reboot = {}, QWidget* parent = nullptr);
    ~TFirmware() override; // FormDestroy: the route back to packets, the path remembered

    void BtnOpenFileClick();
    void BtnProgramClick();
    void BtnExitClick() { close(); }
    void ReceiveBytes(const QByteArray& bytes) { update_.ReceiveBytes(bytes); }
    void OnDeviceLost() { update_.OnDeviceLost(); }

    FirmwareUpdate& update() { return update_; }

private:
    void FormCreate();
    void onFinished(bool ok, const QString& text);

    std::unique_ptr<RawLink> link_; // before update_, which uses it until it is gone
    FirmwareUpdate update_;
    UserPrompt& prompt_;
    QString settingsPath_;
    QString rememberedPath_;
    std::function<void()> reboot_;
    QLineEdit* FileEdit = nullptr;
    QPushButton* BtnOpenFile = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QPushButton* BtnProgram = nullptr;
    QCheckBox* CheckReboot = nullptr;
    QPushButton* BtnExit = nullptr;
    QPlainTextEdit* MemoDebug = nullptr;
};

} // namespace vm
