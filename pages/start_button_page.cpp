#include "pages/start_button_page.h"

#include "pages/check_list.h"
#include "pages/name_lists.h"
#include "pages/page_binding.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

namespace vm {

namespace {
constexpr rules::CheckList kList = rules::CheckList::StartButton;
}

StartButtonPage::StartButtonPage(PageContext& context, QWidget* parent) : EditorPage(context, parent) {
    setObjectName(QStringLiteral("StartButtonPage"));
    auto* group = new QGroupBox(QStringLiteral("Special Start Button"), this);
    group->setObjectName(QStringLiteral("GroupBoxStartButton"));
    auto* grid = new QGridLayout(group);
    grid->addWidget(new QLabel(QStringLiteral("Input Trigger"), group), 0, 0);
    ComboBoxInputTrigStartButton = new QComboBox(group);
    ComboBoxInputTrigStartButton->setObjectName(QStringLiteral("ComboBoxInputTrigStartButton"));
    ComboBoxInputTrigStartButton->setModel(names().triggerSources());
    ComboBoxInputTrigStartButton->setFixedWidth(160);
    grid->addWidget(ComboBoxInputTrigStartButton, 0, 1);
    BindIndex(ComboBoxInputTrigStartButton, [this](int index) {
        const WritingGuard guard(writing_);
        StartButtonControls sb = store().startButton();
        sb.trigger = index;
        store().setStartButton(sb);
    });
    grid->addWidget(new QLabel(QStringLiteral("Outputs"), group), 1, 0, Qt::AlignTop);
    CheckListBoxStartButton =
        new OutputCheckList(names().outputNames(), QStringLiteral("CheckListBoxStartButton"), group);
    CheckListBoxStartButton->setFixedWidth(220);
    grid->addWidget(CheckListBoxStartButton, 1, 1);
    connect(&CheckListBoxStartButton->states(), &CheckStates::toggled, this,
            &StartButtonPage::CheckListBoxStartButtonClickCheck);
    grid->setColumnStretch(2, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addStretch();
    ShowStore();
}

void StartButtonPage::CheckListBoxStartButtonClickCheck(int row, bool) {
    if (!CheckListBoxStartButton->KeepWithin(row, rules::CheckLimit(kList))) {
        Q_EMIT statusMessage(rules::CheckLimitText(kList));
        return;
    }
    const WritingGuard guard(writing_);
    StartButtonControls sb = store().startButton();
    sb.list = WithChecks(store(), sb.list, CheckListBoxStartButton->states().checks());
    store().setStartButton(sb);
}

void StartButtonPage::ShowStore() {
    const StartButtonControls& sb = store().startButton();
    ShowIndex(ComboBoxInputTrigStartButton, sb.trigger);
    CheckListBoxStartButton->ShowChecks(StoredChecks(sb.list), rules::CheckLimit(kList));
}

void StartButtonPage::ShowBlock(ConfigStore::Block block, int) {
    if (block == ConfigStore::Block::StartButton) ShowStore();
}

} // namespace vm
