#pragma once
// "FIA firmware control": compares the unit's program memory with an Intel
// HEX file. A thin window over FiaCompare; the dispatcher feeds it packets
// while it is shown.
#include "session/service_windows.h"
#include "tools/fia/fia_compare.h"

#include <QDialog>
#include <functional>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace vm {

class UserPrompt;

class TFIA_Form : public QDialog, public PacketReceiver {
    Q_OBJECT
public:
    // version: the unit's firmware version text as the main window holds it.
    TFIA_Form(FrameSink& link, UserPrompt& prompt, QString settingsPath, std::function<QString()> version,
              QWidget* parent = nullptr);
    ~TFIA_Form() override; // FormDestroy: the path remembered

    void BtnOpenFileClick();
    void BtnStartClick();
    void BtnCancelClick() { fia_.Cancel(); }
    void BtnExitClick();
    void TimerRequestTimer() { fia_.TimerRequestTimer(); }
    void ReceivePacket(const LinkPacket& packet) override { fia_.ReceivePacket(packet); }

    FiaCompare& compare() { return fia_; }

private:
    FiaCompare fia_;
    UserPrompt& prompt_;
    QString settingsPath_;
    std::function<QString()> version_;
    QString rememberedPath_;
    QLineEdit* FileEdit = nullptr;
    QPushButton* BtnOpenFile = nullptr;
    QPlainTextEdit* MemoFile = nullptr;
    QPlainTextEdit* MemoTarget = nullptr;
    QPlainTextEdit* MemoStatus = nullptr;
    QProgressBar* ProgressBar = nullptr;
    QLabel* LabelProcent = nullptr;
    QPushButton* BtnStart = nullptr;
    QPushButton* BtnCancel = nullptr;
    QPushButton* BtnExit = nullptr;
};

} // namespace vm
