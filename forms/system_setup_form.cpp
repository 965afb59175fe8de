#include "forms/system_setup_form.h"

#include "session/unit_session.h"
#include "session/user_prompt.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vm {

namespace {
QLineEdit* Edit(QWidget* parent, const char* name, const char* text, int maxLength) {
    auto* e = new QLineEdit(QString::fromLatin1(text), parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setMaxLength(maxLength);
    return e;
}
} // namespace

TSystemSetupForm::TSystemSetupForm(ServiceContext& context, QWidget* parent)
    : QDialog(parent), context_(context), logic_(context.unit) {
    setObjectName(QStringLiteral("SystemSetupForm"));
    setWindowTitle(QStringLiteral("System setup"));
    auto* box = new QGroupBox(QStringLiteral(" Main unit "), this);
    auto* form = new QFormLayout(box);
    // Ten digits: the serial number is unsigned 32-bit.
    SerialEdit = Edit(box, "SerialEdit", "00000000", 10);
    YearEdit = Edit(box, "YearEdit", "2006", 7);
    WeekEdit = Edit(box, "WeekEdit", "00", 7);
    EditHW_version = Edit(box, "EditHW_version", "00", 7);
    MaunUnitVersion = new QLabel(QStringLiteral("0.0"), box);
    MaunUnitVersion->setObjectName(QStringLiteral("MaunUnitVersion"));
    form->addRow(QStringLiteral("Serial number"), SerialEdit);
    form->addRow(QStringLiteral("Production year"), YearEdit);
    form->addRow(QStringLiteral("Production week"), WeekEdit);
    form->addRow(QStringLiteral("Hardware version"), EditHW_version);
    form->addRow(QStringLiteral("Software version"), MaunUnitVersion);
    auto* upload = new QPushButton(QStringLiteral("Upload"), this);
    upload->setObjectName(QStringLiteral("BtnUpload"));
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("BtnOK"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(upload);
    buttons->addWidget(ok);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(box);
    layout->addLayout(buttons);

    connect(upload, &QPushButton::clicked, this, &TSystemSetupForm::BtnUploadClick);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(&logic_, &SetupLogic::dataRead, this, &TSystemSetupForm::show);
    // Raised inside the receive dispatch: the boxes open after it.
    connect(
        &logic_, &SetupLogic::stored, this,
        [this] {
            MaunUnitVersion->setText(context_.unit.stats().version);
            context_.prompt.ShowMessage(QString::fromLatin1(kDataStored));
        },
        Qt::QueuedConnection);
    connect(
        &logic_, &SetupLogic::storeFailed, this,
        [this](const QString& why) { context_.prompt.ShowError(why); }, Qt::QueuedConnection);
}

void TSystemSetupForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormActivate();
}

void TSystemSetupForm::FormActivate() {
    MaunUnitVersion->setText(context_.unit.stats().version);
    logic_.Read();
}

ProductionTexts TSystemSetupForm::texts() const {
    return {SerialEdit->text(), YearEdit->text(), WeekEdit->text(), EditHW_version->text()};
}

void TSystemSetupForm::BtnUploadClick() {
    if (const auto refused = logic_.Upload(texts())) context_.prompt.ShowError(*refused);
}

void TSystemSetupForm::show(const ProductionData& data) {
    const ProductionTexts t = TextsOf(data);
    SerialEdit->setText(t.serial);
    YearEdit->setText(t.year);
    WeekEdit->setText(t.week);
    EditHW_version->setText(t.hardware);
}

} // namespace vm
