#include "pages/flash_page.h"

#include "config/block_accessors.h"
#include "config/encodings.h"
#include "config/records.h"
#include "pages/check_list.h"
#include "pages/name_lists.h"
#include "pages/page_binding.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalBlocker>

namespace vm {

namespace {

constexpr rules::CheckList kList = rules::CheckList::Flash;

// The list index of a stored code; -1 when no entry has it, so the page shows
// nothing rather than a choice the record does not hold.
int ShownTrigger(std::uint8_t code) {
    const int index = TriggerIndexFromCode(code);
    return TriggerCodeFromIndex(index) == code ? index : -1;
}

} // namespace

FlashPage::FlashPage(PageContext& context, QWidget* parent) : EditorPage(context, parent) {
    setObjectName(QStringLiteral("FlashPage"));
    auto* layout = new QHBoxLayout(this);

    ListBoxFlashNo = new QListWidget(this);
    ListBoxFlashNo->setObjectName(QStringLiteral("ListBoxFlashNo"));
    ListBoxFlashNo->setFixedWidth(150);
    // Every function is there from the start, so all five can be edited offline.
    for (int i = 0; i < kFlashCount; ++i)
        ListBoxFlashNo->addItem(entryText(i));
    layout->addWidget(ListBoxFlashNo, 0, Qt::AlignTop);

    GroupBoxFlash = new QGroupBox(this);
    GroupBoxFlash->setObjectName(QStringLiteral("GroupBoxFlash"));
    auto* grid = new QGridLayout(GroupBoxFlash);
    const auto caption = [&](const char* text, int row, int column) {
        grid->addWidget(new QLabel(QString::fromLatin1(text), GroupBoxFlash), row, column);
    };
    const auto edit = [&](const char* name, int row) {
        auto* e = new QLineEdit(GroupBoxFlash);
        e->setObjectName(QString::fromLatin1(name));
        e->setFixedWidth(120);
        grid->addWidget(e, row, 1);
        return e;
    };
    caption("Edit Name", 0, 0);
    EditFlashName = edit("EditFlashName", 0);
    caption("Input Trigger", 1, 0);
    ComboBoxFlashInputTrig = new QComboBox(GroupBoxFlash);
    ComboBoxFlashInputTrig->setObjectName(QStringLiteral("ComboBoxFlashInputTrig"));
    ComboBoxFlashInputTrig->setModel(names().triggerSources());
    ComboBoxFlashInputTrig->setFixedWidth(160);
    grid->addWidget(ComboBoxFlashInputTrig, 1, 1, 1, 2);
    caption("Flash", 2, 0);
    EditFlashTime = edit("EditFlashTime", 2);
    caption("msec", 2, 2);
    caption("Duration", 3, 0);
    EditFlashDuration = edit("EditFlashDuration", 3);
    caption("msec", 3, 2);
    CheckBoxFlash = new QCheckBox(QStringLiteral("Continues"), GroupBoxFlash);
    CheckBoxFlash->setObjectName(QStringLiteral("CheckBoxFlash"));
    grid->addWidget(CheckBoxFlash, 4, 1);
    grid->addWidget(new QLabel(QStringLiteral("Outputs"), GroupBoxFlash), 0, 3);
    CheckListBoxFlashOutputList =
        new OutputCheckList(names().outputNames(), QStringLiteral("CheckListBoxFlashOutputList"), GroupBoxFlash);
    CheckListBoxFlashOutputList->setFixedWidth(220);
    grid->addWidget(CheckListBoxFlashOutputList, 1, 3, 6, 1);
    grid->setRowStretch(6, 1);
    layout->addWidget(GroupBoxFlash, 0, Qt::AlignTop);
    layout->addStretch();

    connect(ListBoxFlashNo, &QListWidget::currentRowChanged, this, &FlashPage::ListBoxFlashNoClick);
    BindCheck(CheckBoxFlash, [this](bool on) { writeFlash([&](FlashDef& f) { f.continuous = on ? 1 : 0; }); });
    BindIndex(ComboBoxFlashInputTrig,
              [this](int index) { writeFlash([&](FlashDef& f) { f.trigger = TriggerCodeFromIndex(index); }); });
    BindNumber(EditFlashTime, rules::NumberEdit::FlashTime, 5, [this](const QString& text) {
        writeFlash([&](FlashDef& f) { f.flashTime = static_cast<std::uint8_t>(rules::FlashTimeUnits(text)); });
    });
    BindNumber(EditFlashDuration, rules::NumberEdit::FlashTime, 5, [this](const QString& text) {
        writeFlash([&](FlashDef& f) { f.duration = static_cast<std::uint8_t>(rules::FlashTimeUnits(text)); });
    });
    BindText(EditFlashName, kFlashNameChars, [this](const QString& text) {
        const int index = selected();
        if (index < 0) return;
        writeFlash([&](FlashDef& f) { f.name = text; });
        ListBoxFlashNo->item(index)->setText(entryText(index));
        GroupBoxFlash->setTitle(entryText(index));
    });
    connect(&CheckListBoxFlashOutputList->states(), &CheckStates::toggled, this,
            &FlashPage::CheckListBoxFlashOutputListClickCheck);

    ListBoxFlashNo->setCurrentRow(0);
    ShowStore();
}

int FlashPage::selected() const {
    const int row = ListBoxFlashNo->currentRow();
    return row >= 0 && row < kFlashCount ? row : -1;
}

QString FlashPage::entryText(int index) const {
    // An unnamed function still needs an entry one can see and pick.
    const QString name = FlashName(context_.store, index + 1);
    return name.isEmpty() ? QStringLiteral("Flash %1").arg(index + 1) : name;
}

template <class Set> void FlashPage::writeFlash(Set set) {
    const int index = selected();
    if (index < 0) return;
    const WritingGuard guard(writing_);
    FlashDef f = FlashRecord(store(), index);
    set(f);
    SetFlashRecord(store(), index, f);
}

void FlashPage::CheckListBoxFlashOutputListClickCheck(int row, bool) {
    if (selected() < 0) return;
    if (!CheckListBoxFlashOutputList->KeepWithin(row, rules::CheckLimit(kList))) {
        Q_EMIT statusMessage(rules::CheckLimitText(kList));
        return;
    }
    const std::vector<bool> checks = CheckListBoxFlashOutputList->states().checks();
    writeFlash([&](FlashDef& f) {
        std::fill(std::begin(f.outputs), std::end(f.outputs), kEmptySlot);
        int slot = 0;
        for (int i = 0; i < static_cast<int>(checks.size()) && slot < kFlashOutputSlots; ++i)
            if (checks[static_cast<std::size_t>(i)]) f.outputs[slot++] = static_cast<std::uint8_t>(i);
    });
}

void FlashPage::ListBoxFlashNoClick() {
    const int index = selected();
    if (index < 0) return;
    const FlashDef f = FlashRecord(store(), index);
    GroupBoxFlash->setTitle(ListBoxFlashNo->item(index)->text());
    ShowText(EditFlashName, f.name);
    ShowCheck(CheckBoxFlash, f.continuous != 0);
    ShowIndex(ComboBoxFlashInputTrig, ShownTrigger(f.trigger));
    ShowText(EditFlashTime, rules::FlashTimeText(f.flashTime));
    ShowText(EditFlashDuration, rules::FlashTimeText(f.duration));
    std::vector<bool> checks(kOutputCount, false);
    for (std::uint8_t slot : f.outputs)
        if (slot < kOutputCount) checks[slot] = true;
    CheckListBoxFlashOutputList->ShowChecks(checks, kFlashOutputSlots);
}

void FlashPage::ShowStore() { ListBoxFlashNoClick(); }

void FlashPage::ShowBlock(ConfigStore::Block block, int index) {
    if (block == ConfigStore::Block::Flash && index == selected()) ListBoxFlashNoClick();
}

void FlashPage::RefreshNameLists() {
    for (int i = 0; i < kFlashCount; ++i)
        if (ListBoxFlashNo->item(i)->text() != entryText(i)) ListBoxFlashNo->item(i)->setText(entryText(i));
    if (selected() < 0) {
        const QSignalBlocker blocker(ListBoxFlashNo);
        ListBoxFlashNo->setCurrentRow(0);
    }
    ListBoxFlashNoClick();
}

} // namespace vm
