#include "forms/calibration_form.h"

#include "session/user_prompt.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vm {

namespace {
QLabel* Label(QWidget* parent, const QString& name, const QString& text) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    return l;
}
QString Named(const char* prefix, int channel) {
    return QString::fromLatin1(prefix) + QString::number(channel);
}
} // namespace

TCalibrationForm::TCalibrationForm(ServiceContext& context, QWidget* parent)
    : QDialog(parent), context_(context), logic_(context.unit) {
    setObjectName(QStringLiteral("CalibrationForm"));
    setWindowTitle(QStringLiteral("Calibration"));
    auto* grid = new QGridLayout;
    const char* heads[] = {"", "Amps", "Ration", "10 bit A/D", "Målt Amps", "A/D Offset", "New Ration", ""};
    for (int c = 0; c < 8; ++c)
        grid->addWidget(new QLabel(QString::fromUtf8(heads[c]), this), 0, c);
    for (int ch = 1; ch <= kCalibrationChannels; ++ch) {
        Row& r = rows_[static_cast<std::size_t>(ch)];
        const QString unknown = ch == 14 ? QStringLiteral("---") : QStringLiteral("--");
        grid->addWidget(new QLabel(QStringLiteral("CH %1").arg(ch), this), ch, 0);
        r.amps = Label(this, Named("Label_Amp_ch_", ch), QStringLiteral("--"));
        r.ratio = Label(this, Named("Label_Ratio_", ch), unknown);
        r.ad = Label(this, Named("Label_AD_", ch), QStringLiteral("--"));
        r.current = new QLineEdit(this);
        r.current->setObjectName(Named("Edit_Current_", ch));
        r.offset = Label(this, Named("Label_AD_Offset_", ch), QStringLiteral("--"));
        r.newRatio = Label(this, Named("LabelNewRation_", ch), QString());
        auto* button = new QPushButton(QStringLiteral("Calculate new Ration"), this);
        button->setObjectName(Named("Btn_NewRation_", ch));
        connect(button, &QPushButton::clicked, this, [this, ch] { BtnNewRationClick(ch); });
        int c = 1;
        for (QWidget* w :
             {static_cast<QWidget*>(r.amps), static_cast<QWidget*>(r.ratio), static_cast<QWidget*>(r.ad),
              static_cast<QWidget*>(r.current), static_cast<QWidget*>(r.offset),
              static_cast<QWidget*>(r.newRatio), static_cast<QWidget*>(button)})
            grid->addWidget(w, ch, c++);
    }
    auto* heading = new QLabel(QStringLiteral("High power calibration"), this);
    auto* memo1 = new QPlainTextEdit(this);
    memo1->setObjectName(QStringLiteral("Memo1"));
    memo1->setReadOnly(true);
    memo1->setPlainText(
        QString::fromUtf8("Der må ikke være tilsluttet noget på high power udgangene mens denne "
                          "kalibrering foretages. Tryk derefter på Store A/D offset, og når enheden "
                          "har opdateret sit A/D offset, gå videre til næste trin."));
    memo1->setMaximumHeight(70);
    Memo2 = new QPlainTextEdit(this);
    Memo2->setObjectName(QStringLiteral("Memo2"));
    Memo2->setReadOnly(true);
    Memo2->setMaximumBlockCount(500);
    Memo2->setMaximumHeight(70);
    CheckBoxOffset = new QCheckBox(QStringLiteral("Use Offset values"), this);
    CheckBoxOffset->setObjectName(QStringLiteral("CheckBoxOffset"));
    CheckBoxRation = new QCheckBox(QStringLiteral("Use ration values"), this);
    CheckBoxRation->setObjectName(QStringLiteral("CheckBoxRation"));
    auto* storeOffset = new QPushButton(QStringLiteral("Store A/D offset"), this);
    storeOffset->setObjectName(QStringLiteral("BtnUpload_AD_Offset"));
    auto* storeRatio = new QPushButton(QStringLiteral("Store Ration"), this);
    storeRatio->setObjectName(QStringLiteral("BtnStoreRation"));
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("BtnOK"));
    auto* steps = new QHBoxLayout;
    steps->addWidget(new QLabel(QStringLiteral("Step 1"), this));
    steps->addWidget(storeOffset);
    steps->addWidget(new QLabel(QStringLiteral("Step 2"), this));
    steps->addWidget(storeRatio);
    steps->addWidget(CheckBoxOffset);
    steps->addWidget(CheckBoxRation);
    steps->addWidget(ok);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addWidget(memo1);
    layout->addLayout(grid);
    layout->addLayout(steps);
    layout->addWidget(Memo2);

    connect(storeOffset, &QPushButton::clicked, this, &TCalibrationForm::BtnUpload_AD_OffsetClick);
    connect(storeRatio, &QPushButton::clicked, this, &TCalibrationForm::BtnStoreRationClick);
    connect(CheckBoxOffset, &QCheckBox::clicked, this, &TCalibrationForm::CheckBoxClick);
    connect(CheckBoxRation, &QCheckBox::clicked, this, &TCalibrationForm::CheckBoxClick);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(&logic_, &CalibrationLogic::channelChanged, this, &TCalibrationForm::showChannel);
    connect(&logic_, &CalibrationLogic::message, Memo2, &QPlainTextEdit::appendPlainText);
    connect(&logic_, &CalibrationLogic::newRatioChanged, this, [this](int ch, int ratio) {
        rows_[static_cast<std::size_t>(ch)].newRatio->setText(QString::number(ratio));
    });
    connect(
        &logic_, &CalibrationLogic::storeFailed, this,
        [this](const QString& why) { context_.prompt.ShowError(why); }, Qt::QueuedConnection);
}

void TCalibrationForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!opened_) FormCreate(); // once, when the window can receive the answer
}

void TCalibrationForm::FormCreate() {
    opened_ = true;
    logic_.Open();
}

void TCalibrationForm::done(int result) {
    logic_.Close();
    QDialog::done(result);
}

void TCalibrationForm::showChannel(int channel) {
    const ChannelTexts t = TextsOf(logic_.channel(channel));
    Row& r = rows_[static_cast<std::size_t>(channel)];
    r.amps->setText(t.amps);
    r.ratio->setText(t.ratio);
    r.ad->setText(t.ad);
    r.offset->setText(t.offset);
}

void TCalibrationForm::BtnNewRationClick(int channel) {
    const RatioResult r = logic_.NewRatio(channel, rows_[static_cast<std::size_t>(channel)].current->text());
    if (!r.ratio) context_.prompt.ShowError(QStringLiteral("CH %1: %2").arg(channel).arg(r.error));
}

void TCalibrationForm::BtnStoreRationClick() { logic_.StoreRatios(); }

void TCalibrationForm::CheckBoxClick() {
    logic_.UseValues(CheckBoxOffset->isChecked(), CheckBoxRation->isChecked());
}

} // namespace vm
