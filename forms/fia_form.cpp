#include "forms/fia_form.h"

#include "forms/remembered_path.h"
#include "session/user_prompt.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace vm {

namespace {
const QString kSection = QStringLiteral("FIA");
const QString kFilter = QStringLiteral("Hex files (*.hex *.HEX)");
// A whole compare writes 4032 lines to each memo.
constexpr int kMemoLines = 5000;

QPlainTextEdit* Memo(const char* name, QWidget* parent) {
    auto* memo = new QPlainTextEdit(parent);
    memo->setObjectName(QString::fromLatin1(name));
    memo->setReadOnly(true);
    memo->setMaximumBlockCount(kMemoLines);
    memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    return memo;
}

QPushButton* Button(const char* name, const QString& caption, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}
} // namespace

TFIA_Form::TFIA_Form(FrameSink& link, UserPrompt& prompt, QString settingsPath, std::function<QString()> version,
                     QWidget* parent)
    : QDialog(parent), fia_(link), prompt_(prompt), settingsPath_(std::move(settingsPath)),
      version_(std::move(version)) {
    setObjectName(QStringLiteral("FIA_Form"));
    setWindowTitle(QStringLiteral("FIA firmware control"));
    setModal(true);

    auto* fileBox = new QGroupBox(QStringLiteral("Firmware file to compare"), this);
    FileEdit = new QLineEdit(fileBox);
    FileEdit->setObjectName(QStringLiteral("FileEdit"));
    BtnOpenFile = Button("BtnOpenFile", QStringLiteral("..."), fileBox);
    BtnOpenFile->setFixedWidth(32);
    MemoFile = Memo("MemoFile", fileBox);
    auto* fileLayout = new QGridLayout(fileBox);
    fileLayout->addWidget(FileEdit, 0, 0);
    fileLayout->addWidget(BtnOpenFile, 0, 1);
    fileLayout->addWidget(MemoFile, 1, 0, 1, 2);

    auto* targetBox = new QGroupBox(QStringLiteral("Data from target"), this);
    MemoTarget = Memo("MemoTarget", targetBox);
    (new QVBoxLayout(targetBox))->addWidget(MemoTarget);

    auto* statusBox = new QGroupBox(QStringLiteral("Status"), this);
    MemoStatus = Memo("MemoStatus", statusBox);
    ProgressBar = new QProgressBar(statusBox);
    ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
    ProgressBar->setRange(0, 100);
    ProgressBar->setValue(0);
    LabelProcent = new QLabel(QStringLiteral("0"), statusBox);
    LabelProcent->setObjectName(QStringLiteral("LabelProcent"));
    auto* statusLayout = new QGridLayout(statusBox);
    statusLayout->addWidget(MemoStatus, 0, 0, 1, 2);
    statusLayout->addWidget(ProgressBar, 1, 0);
    statusLayout->addWidget(LabelProcent, 1, 1);

    BtnStart = Button("BtnStart", QStringLiteral("Start"), this);
    BtnCancel = Button("BtnCancel", QStringLiteral("Cancel"), this);
    BtnExit = Button("BtnExit", QStringLiteral("Exit"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* b : {BtnStart, BtnCancel, BtnExit}) buttons->addWidget(b);

    auto* memos = new QHBoxLayout;
    memos->addWidget(fileBox);
    memos->addWidget(targetBox);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(memos, 3);
    layout->addWidget(statusBox, 2);
    layout->addLayout(buttons);
    resize(760, 560);

    connect(BtnOpenFile, &QPushButton::clicked, this, &TFIA_Form::BtnOpenFileClick);
    connect(BtnStart, &QPushButton::clicked, this, &TFIA_Form::BtnStartClick);
    connect(BtnCancel, &QPushButton::clicked, this, &TFIA_Form::BtnCancelClick);
    connect(BtnExit, &QPushButton::clicked, this, &TFIA_Form::BtnExitClick);
    connect(&fia_, &FiaCompare::statusLine, MemoStatus, &QPlainTextEdit::appendPlainText);
    connect(&fia_, &FiaCompare::fileLine, MemoFile, &QPlainTextEdit::appendPlainText);
    connect(&fia_, &FiaCompare::targetLine, MemoTarget, &QPlainTextEdit::appendPlainText);
    connect(&fia_, &FiaCompare::progressChanged, this, [this](int percent) {
        ProgressBar->setValue(percent);
        LabelProcent->setText(QString::number(percent) + QStringLiteral(" % done"));
    });
    // From inside the dispatch: the box waits for the event loop.
    connect(
        &fia_, &FiaCompare::message, this, [this](const QString& text) { prompt_.ShowMessage(text); },
        Qt::QueuedConnection);

    // FormCreate. The file is loaded when a compare starts, where a refusal can be shown.
    rememberedPath_ = ReadRememberedPath(settingsPath_, kSection);
    FileEdit->setText(rememberedPath_);
}

TFIA_Form::~TFIA_Form() { WriteRememberedPath(settingsPath_, kSection, rememberedPath_); }

void TFIA_Form::BtnOpenFileClick() {
    const QString chosen = prompt_.AskOpenFile(kFilter, FileEdit->text());
    if (chosen.isEmpty()) return;
    FileEdit->setText(chosen);
    rememberedPath_ = chosen;
    MemoFile->clear();
}

void TFIA_Form::BtnStartClick() {
    QString text;
    const QString path = FileEdit->text();
    if (fia_.Start(path, version_ ? version_() : QString(), &text)) {
        // Replies come through the event loop, after these are cleared.
        rememberedPath_ = path;
        MemoFile->clear();
        MemoTarget->clear();
        return;
    }
    if (text == fia_text::kNoFile) prompt_.ShowMessage(text);
    else prompt_.ShowError(text);
}

void TFIA_Form::BtnExitClick() {
    fia_.requestTimer().stop();
    close();
}

} // namespace vm
