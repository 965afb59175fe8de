#include "pages/outputs_page.h"

#include "pages/name_lists.h"
#include "pages/output_pins.h"
#include "pages/page_binding.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace vm {

namespace {

enum Col { Number, Name, MaxCurrent, PeakTime, Trigger, Level, Delay, OnTime, InputPin, OutputPin, Pwm };

const Column kColumns[] = {
    {"", "", Cell::Label, kOutputCount, 22},
    {"Name Pin", "EditOutputName_ch%1", Cell::Text, kOutputCount, 90},
    {"Max. [A]", "EditMaxCurrentCH%1", Cell::Text, kHighPowerCount, 44},
    {"Peak [sec]", "EditCurrentPeakTimeCH%1", Cell::Text, kHighPowerCount, 44},
    {"Input Trigger", "ComboBoxInputTrigCH%1", Cell::Box, kOutputCount, 100},
    {"Trig By", "ComboBoxTrigLevelCH%1", Cell::Box, kOutputCount, 54},
    {"Delay [sec]", "EditDelayCH%1", Cell::Text, kOutputCount, 44},
    {"Timer[sec]", "EditOnTimeCH%1", Cell::Text, kOutputCount, 44},
    {"Input Pin Conn.", "LabelInputpin%1", Cell::Label, kOutputCount, 160},
    {"Output Pin Conn.", "", Cell::Label, kOutputCount, 0},
};

// The numeric columns: their rule, how many characters they take, their field.
struct NumberColumn {
    Col column;
    rules::NumberEdit rule;
    int maxLength;
    QString OutputControls::*field;
};
const NumberColumn kNumbers[] = {
    {MaxCurrent, rules::NumberEdit::MaxCurrent, 4, &OutputControls::maxCurrent},
    {PeakTime, rules::NumberEdit::PeakTime, 4, &OutputControls::peakTime},
    {Delay, rules::NumberEdit::Delay, 4, &OutputControls::delay},
    {OnTime, rules::NumberEdit::OnTime, 5, &OutputControls::onTime},
};

const QStringList kStartLevels = {QStringLiteral("GND"), QStringLiteral("OPEN")};

} // namespace

OutputsPage::OutputsPage(PageContext& context, QWidget* parent) : EditorPage(context, parent) {
    setObjectName(QStringLiteral("OutputsPage"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    auto* group = new QGroupBox(QStringLiteral("Output Settings"), this);
    group->setObjectName(QStringLiteral("GroupBoxOutputSettings"));
    auto* grid = new QGridLayout(group);
    grid->setVerticalSpacing(2);
    grid->setHorizontalSpacing(3);
    cells_ = BuildRows(*grid, kColumns, kOutputCount, 0, group);

    for (int ch = 1; ch <= kOutputCount; ++ch) {
        CellAs<QLabel>(cells_, Number, ch)->setText(QString::number(ch));
        CellAs<QLabel>(cells_, OutputPin, ch)->setText(OutputPinCaption(ch));
        BindText(CellAs<QLineEdit>(cells_, Name, ch), kNameChars, [this, ch](const QString& text) {
            writeOutput(ch, [&](OutputControls& o) { o.name = text; });
            NameEdited();
        });
        for (const NumberColumn& n : kNumbers) {
            if (ch > kColumns[n.column].rows) continue;
            auto* edit = CellAs<QLineEdit>(cells_, n.column, ch);
            BindNumber(edit, n.rule, n.maxLength, [this, ch, field = n.field](const QString& text) {
                writeOutput(ch, [&](OutputControls& o) { o.*field = text; });
            });
            if (n.column == OnTime) edit->setToolTip(QStringLiteral("Output ON timer \nEnter 0 for continuous"));
        }
        auto* trigger = CellAs<QComboBox>(cells_, Trigger, ch);
        trigger->setModel(names().triggerSources());
        trigger->setCurrentIndex(-1);
        BindIndex(trigger, [this, ch](int index) { TriggerChanged(ch, index); });
        auto* level = CellAs<QComboBox>(cells_, Level, ch);
        level->addItems(kStartLevels);
        level->setCurrentIndex(-1);
        BindIndex(level, [this, ch](int index) { writeOutput(ch, [&](OutputControls& o) { o.level = index; }); });
    }

    // The PWM switches sit in the rows of the channels they drive.
    const auto addPwm = [&](int row, const char* name, bool PwmControls::*flag) {
        auto* check = new QCheckBox(QStringLiteral("Enable PWM"), group);
        check->setObjectName(QString::fromLatin1(name));
        grid->addWidget(check, row, Pwm);
        // Tab reaches it at the end of its own row.
        QWidget::setTabOrder(CellAs<QLineEdit>(cells_, OnTime, row), check);
        BindCheck(check, [this, flag](bool on) {
            const WritingGuard guard(writing_);
            PwmControls pwm = store().pwm();
            pwm.*flag = on;
            store().setPwm(pwm);
        });
        return check;
    };
    CheckBoxPWM_enable1 = addPwm(6, "CheckBoxPWM_enable1", &PwmControls::pwm1);
    CheckBoxPWM_enable2 = addPwm(14, "CheckBoxPWM_enable2", &PwmControls::pwm2);

    layout->addWidget(group);
    layout->addWidget(TransferButtons({"Button3", "Button2", "Button4"}));
    layout->addStretch();
    ShowStore();
}

template <class Set> void OutputsPage::writeOutput(int channel, Set set) {
    const WritingGuard guard(writing_);
    OutputControls o = store().output(channel);
    set(o);
    store().setOutput(channel, o);
}

void OutputsPage::TriggerChanged(int channel, int index) {
    writeOutput(channel, [&](OutputControls& o) {
        o.trigger = index;
        o.level = rules::LevelAfterTriggerChange(index, o.level);
    });
    const OutputControls o = store().output(channel);
    showTriggerView(channel, o.trigger, o.level);
}

void OutputsPage::showTriggerView(int channel, int trigger, int level) {
    const rules::TriggerView view = rules::ViewForTrigger(trigger);
    CellAs<QLabel>(cells_, InputPin, channel)->setText(view.pinLabel);
    auto* box = CellAs<QComboBox>(cells_, Level, channel);
    if (!view.levelKept) {
        QStringList items;
        for (int i = 0; i < box->count(); ++i)
            items << box->itemText(i);
        if (items != view.levelItems) {
            const QSignalBlocker blocker(box);
            box->clear();
            box->addItems(view.levelItems);
        }
        box->setEnabled(view.levelEnabled);
    }
    ShowIndex(box, level);
}

void OutputsPage::ShowRow(int channel) {
    const OutputControls o = store().output(channel);
    ShowText(CellAs<QLineEdit>(cells_, Name, channel), o.name);
    for (const NumberColumn& n : kNumbers)
        if (channel <= kColumns[n.column].rows) ShowText(CellAs<QLineEdit>(cells_, n.column, channel), o.*n.field);
    ShowIndex(CellAs<QComboBox>(cells_, Trigger, channel), o.trigger);
    showTriggerView(channel, o.trigger, o.level);
}

void OutputsPage::showPwm() {
    ShowCheck(CheckBoxPWM_enable1, store().pwm().pwm1);
    ShowCheck(CheckBoxPWM_enable2, store().pwm().pwm2);
}

void OutputsPage::ShowStore() {
    for (int ch = 1; ch <= kOutputCount; ++ch)
        ShowRow(ch);
    showPwm();
}

void OutputsPage::ShowBlock(ConfigStore::Block block, int index) {
    if (block == ConfigStore::Block::Output) ShowRow(index);
    else if (block == ConfigStore::Block::Pwm) showPwm();
}

void OutputsPage::RefreshNameLists() {
    // The trigger boxes share the renamed list; the pin labels and level
    // boxes follow the stored choices again.
    for (int ch = 1; ch <= kOutputCount; ++ch) {
        const OutputControls o = store().output(ch);
        showTriggerView(ch, o.trigger, o.level);
    }
}

} // namespace vm
