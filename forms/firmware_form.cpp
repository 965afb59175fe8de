#include "forms/firmware_form.h"

#include "forms/remembered_path.h"
#include "session/user_prompt.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace vm {

namespace {
const QString kSection = QStringLiteral("FIRMWARE");
const QString kFilter = QStringLiteral("Hex files (*.hex *.HEX)");
} // namespace

TFirmware::TFirmware(std::unique_ptr<RawLink> link, UserPrompt& prompt, QString settingsPath,
                     std::function<void()> reboot, QWidget* parent)
    : QDialog(parent), link_(std::move(link)), update_(*link_), prompt_(prompt), settingsPath_(std::move(settingsPath)),
      reboot_(std::move(reboot)) {
    setObjectName(QStringLiteral("Firmware"));
    setWindowTitle(QStringLiteral("Firmware"));
    setModal(true);

    auto* fileBox = new QGroupBox(QStringLiteral("File to download"), this);
    FileEdit = new QLineEdit(fileBox);
    FileEdit->setObjectName(QStringLiteral("FileEdit"));
    BtnOpenFile = new QPushButton(QStringLiteral("..."), fileBox);
    BtnOpenFile->setObjectName(QStringLiteral("BtnOpenFile"));
    BtnOpenFile->setFixedWidth(32);
    auto* fileRow = new QHBoxLayout(fileBox);
    fileRow->addWidget(FileEdit);
    fileRow->addWidget(BtnOpenFile);

    auto* progressBox = new QGroupBox(QStringLiteral("Progress"), this);
    ProgressBar1 = new QProgressBar(progressBox);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    (new QVBoxLayout(progressBox))->addWidget(ProgressBar1);

    BtnProgram = new QPushButton(QStringLiteral("Program"), this);
    BtnProgram->setObjectName(QStringLiteral("BtnProgram"));
    BtnExit = new QPushButton(QStringLiteral("Exit"), this);
    BtnExit->setObjectName(QStringLiteral("BtnExit"));
    // Off by default: the unit is rebooted by hand, as on the bench. On, the
    // tool asks for it (the simulated unit in the program has no power switch).
    CheckReboot = new QCheckBox(QStringLiteral("Reboot target"), this);
    CheckReboot->setObjectName(QStringLiteral("CheckReboot"));
    CheckReboot->setEnabled(static_cast<bool>(reboot_));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(CheckReboot);
    buttons->addStretch();
    buttons->addWidget(BtnProgram);
    buttons->addWidget(BtnExit);

    MemoDebug = new QPlainTextEdit(this);
    MemoDebug->setObjectName(QStringLiteral("MemoDebug"));
    MemoDebug->setReadOnly(true);
    MemoDebug->setMaximumBlockCount(1000);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fileBox);
    layout->addWidget(progressBox);
    layout->addLayout(buttons);
    layout->addWidget(MemoDebug);
    resize(420, 180);

    connect(BtnOpenFile, &QPushButton::clicked, this, &TFirmware::BtnOpenFileClick);
    connect(BtnProgram, &QPushButton::clicked, this, &TFirmware::BtnProgramClick);
    connect(BtnExit, &QPushButton::clicked, this, &TFirmware::BtnExitClick);
    connect(&update_, &FirmwareUpdate::progressChanged, ProgressBar1, &QProgressBar::setValue);
    connect(&update_, &FirmwareUpdate::finished, this, &TFirmware::onFinished);
    FormCreate();
}

void TFirmware::FormCreate() {
    MemoDebug->hide();
    rememberedPath_ = ReadRememberedPath(settingsPath_, kSection);
    FileEdit->setText(rememberedPath_);
    // The window opens all the same; it says so once it is up.
    if (!update_.linkOpen())
        QMetaObject::invokeMethod(
            this, [this] { prompt_.ShowMessage(firmware_text::kNotConnected); }, Qt::QueuedConnection);
}

TFirmware::~TFirmware() { WriteRememberedPath(settingsPath_, kSection, rememberedPath_); }

void TFirmware::BtnOpenFileClick() {
    const QString chosen = prompt_.AskOpenFile(kFilter, FileEdit->text());
    if (chosen.isEmpty()) return;
    FileEdit->setText(chosen);
    rememberedPath_ = chosen;
}

void TFirmware::BtnProgramClick() {
    QString text;
    if (update_.Program(FileEdit->text(), &text)) {
        rememberedPath_ = FileEdit->text();
        // Armed first, so the bootloader's first prompt is not missed.
        if (reboot_ && CheckReboot->isChecked()) reboot_();
        else prompt_.ShowMessage(text);
        return;
    }
    if (text == firmware_text::kNoFileSelected) prompt_.ShowMessage(text);
    else prompt_.ShowError(text);
}

void TFirmware::onFinished(bool ok, const QString& text) {
    ProgressBar1->setValue(0);
    // Called from the byte handler: the box waits for the event loop.
    QMetaObject::invokeMethod(
        this, [this, ok, text] { ok ? prompt_.ShowMessage(text) : prompt_.ShowError(text); }, Qt::QueuedConnection);
}

} // namespace vm
