#include "pages/low_battery_page.h"

#include "pages/check_list.h"
#include "pages/name_lists.h"
#include "pages/page_binding.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace vm {

namespace {
constexpr rules::CheckList kList = rules::CheckList::LowBattery;
}

LowBatteryPage::LowBatteryPage(PageContext& context, QWidget* parent) : EditorPage(context, parent) {
    setObjectName(QStringLiteral("LowBatteryPage"));
    auto* group = new QGroupBox(QStringLiteral("Low Battery"), this);
    group->setObjectName(QStringLiteral("GroupBoxLowBattery"));
    auto* grid = new QGridLayout(group);

    const auto threshold = [&](int row, const char* caption, const char* name, rules::NumberEdit rule,
                               const char* hint, QString LowBatteryControls::*field) {
        grid->addWidget(new QLabel(QString::fromLatin1(caption), group), row, 0);
        auto* edit = new QLineEdit(group);
        edit->setObjectName(QString::fromLatin1(name));
        edit->setFixedWidth(60);
        edit->setToolTip(QString::fromLatin1(hint));
        grid->addWidget(edit, row, 1);
        grid->addWidget(new QLabel(QStringLiteral("Volt"), group), row, 2);
        BindNumber(edit, rule, 4, [this, field](const QString& text) {
            const WritingGuard guard(writing_);
            LowBatteryControls lb = store().lowBattery();
            lb.*field = text;
            store().setLowBattery(lb);
        });
        return edit;
    };
    EditLowVoltageTrig = threshold(0, "Low Threshold", "EditLowVoltageTrig", rules::NumberEdit::LowVoltage,
                                   "Lower threshold value for turning off channel eks. (12.0V)",
                                   &LowBatteryControls::lowThreshold);
    EditUpperVoltageTrig = threshold(1, "High Threshold", "EditUpperVoltageTrig", rules::NumberEdit::HighVoltage,
                                     "Upper threshold value for turning on channel eks. (12.3V)",
                                     &LowBatteryControls::upperThreshold);

    grid->addWidget(new QLabel(QStringLiteral("Disable output"), group), 2, 0, Qt::AlignTop);
    CheckListBoxLowBatt = new OutputCheckList(names().outputNames(), QStringLiteral("CheckListBoxLowBatt"), group);
    CheckListBoxLowBatt->setFixedWidth(220);
    grid->addWidget(CheckListBoxLowBatt, 2, 1, 1, 3);
    connect(&CheckListBoxLowBatt->states(), &CheckStates::toggled, this, &LowBatteryPage::CheckListBoxLowBattClickCheck);
    auto* warning = new QLabel(QStringLiteral("WARNING: Be careful not to disable critical safety features."), group);
    warning->setObjectName(QStringLiteral("LabelLowBattWarning"));
    grid->addWidget(warning, 3, 0, 1, 4);
    grid->setColumnStretch(4, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(TransferButtons({"Button5", "Button6", "BtnDefault"}));
    layout->addStretch();
    ShowStore();
}

void LowBatteryPage::CheckListBoxLowBattClickCheck(int row, bool) {
    if (!CheckListBoxLowBatt->KeepWithin(row, rules::CheckLimit(kList))) {
        Q_EMIT statusMessage(rules::CheckLimitText(kList));
        return;
    }
    const WritingGuard guard(writing_);
    LowBatteryControls lb = store().lowBattery();
    lb.list = WithChecks(store(), lb.list, CheckListBoxLowBatt->states().checks());
    store().setLowBattery(lb);
}

void LowBatteryPage::ShowStore() {
    const LowBatteryControls& lb = store().lowBattery();
    ShowText(EditLowVoltageTrig, lb.lowThreshold);
    ShowText(EditUpperVoltageTrig, lb.upperThreshold);
    CheckListBoxLowBatt->ShowChecks(StoredChecks(lb.list), rules::CheckLimit(kList));
}

void LowBatteryPage::ShowBlock(ConfigStore::Block block, int) {
    if (block == ConfigStore::Block::LowBattery) ShowStore();
}

} // namespace vm
