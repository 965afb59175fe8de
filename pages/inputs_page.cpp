#include "pages/inputs_page.h"

#include "config/block_accessors.h"
#include "pages/page_binding.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace vm {

namespace {

enum InputCol { InputNumber, InputNameCol, InputModeCol };
const Column kInputColumns[] = {
    {"", "", Cell::Label, kInputCount, 0},
    {"Name", "EditInputName_ch%1", Cell::Text, kInputCount, 120},
    {"Mode", "ComboBoxInput_ch%1", Cell::Box, kInputCount, 100},
};
const Column kVirtualColumns[] = {
    {"", "", Cell::Label, kVirtualInputCount, 0},
    {"", "EditInputName_Virtuel_ch%1", Cell::Text, kVirtualInputCount, 120},
};
const Column kCanColumns[] = {
    {"", "", Cell::Label, kCanRuleCount, 0},
    {"", "EditCanInputName_ch%1", Cell::Text, kCanRuleCount, 120},
};

QGroupBox* Group(const QString& title, const char* objectName, QWidget* parent) {
    auto* group = new QGroupBox(title, parent);
    group->setObjectName(QString::fromLatin1(objectName));
    return group;
}

void NumberRows(const Cells& cells, int rows) {
    for (int n = 1; n <= rows; ++n)
        CellAs<QLabel>(cells, 0, n)->setText(QString::number(n));
}

} // namespace

InputsPage::InputsPage(PageContext& context, QWidget* parent) : EditorPage(context, parent) {
    setObjectName(QStringLiteral("InputsPage"));
    auto* columns = new QHBoxLayout;

    auto* inputGroup = Group(QStringLiteral("Input"), "GroupBoxInput", this);
    auto* inputGrid = new QGridLayout(inputGroup);
    inputGrid->setVerticalSpacing(2);
    inputs_ = BuildRows(*inputGrid, kInputColumns, kInputCount, 0, inputGroup);
    NumberRows(inputs_, kInputCount);
    for (int n = 1; n <= kInputCount; ++n) {
        BindText(CellAs<QLineEdit>(inputs_, InputNameCol, n), kNameChars, [this, n](const QString& text) {
            const WritingGuard guard(writing_);
            SetInputName(store(), n, text);
            NameEdited();
        });
        auto* mode = CellAs<QComboBox>(inputs_, InputModeCol, n);
        mode->addItems({QStringLiteral("Latching"), QStringLiteral("Momentary")});
        BindIndex(mode, [this, n](int index) {
            const WritingGuard guard(writing_);
            SetInputMode(store(), n, index);
        });
    }
    CheckBoxInputPWMEnable = new QCheckBox(QStringLiteral("Enable PWM"), inputGroup);
    CheckBoxInputPWMEnable->setObjectName(QStringLiteral("CheckBoxInputPWMEnable"));
    inputGrid->addWidget(CheckBoxInputPWMEnable, kInputCount + 1, InputNameCol, 1, 2);
    BindCheck(CheckBoxInputPWMEnable, [this](bool on) {
        const WritingGuard guard(writing_);
        PwmControls pwm = store().pwm();
        pwm.inputPwm = on;
        store().setPwm(pwm);
    });
    inputGrid->setRowStretch(kInputCount + 2, 1);

    auto* boxGroup = Group(QStringLiteral("Edit Box name"), "GroupBoxBoxName", this);
    auto* boxRow = new QHBoxLayout(boxGroup);
    EditBoxName = new QLineEdit(boxGroup);
    EditBoxName->setObjectName(QStringLiteral("EditBoxName"));
    boxRow->addWidget(EditBoxName);
    BindText(EditBoxName, kNameChars, [this](const QString& text) {
        const WritingGuard guard(writing_);
        store().setBoxName(text);
    });
    auto* left = new QVBoxLayout;
    left->addWidget(inputGroup);
    left->addWidget(boxGroup);
    left->addWidget(TransferButtons({"BtnLoad", "BtnSave", "BtnDefaultValue"}));
    columns->addLayout(left);

    auto* virtualGroup = Group(QStringLiteral("Virtual Inputs"), "GroupBoxVirtualInputs", this);
    auto* virtualGrid = new QGridLayout(virtualGroup);
    virtualGrid->setVerticalSpacing(2);
    virtuals_ = BuildRows(*virtualGrid, kVirtualColumns, kVirtualInputCount, 0, virtualGroup);
    NumberRows(virtuals_, kVirtualInputCount);
    virtualGrid->setRowStretch(kVirtualInputCount + 1, 1);
    for (int n = 1; n <= kVirtualInputCount; ++n)
        BindText(CellAs<QLineEdit>(virtuals_, 1, n), kNameChars, [this, n](const QString& text) {
            const WritingGuard guard(writing_);
            SetVirtualInputName(store(), n, text);
            NameEdited();
        });
    columns->addWidget(virtualGroup, 0, Qt::AlignTop);

    // 32 CAN names in two columns of 16 keep the page within its height.
    auto* canGroup = Group(QStringLiteral("CAN Inputs"), "GroupBoxCanInputs", this);
    auto* canGrid = new QGridLayout(canGroup);
    canGrid->setVerticalSpacing(2);
    cans_ = BuildRows(*canGrid, kCanColumns, kCanRuleCount, 0, canGroup, 16);
    NumberRows(cans_, kCanRuleCount);
    for (int n = 1; n <= kCanRuleCount; ++n)
        BindText(CellAs<QLineEdit>(cans_, 1, n), kNameChars, [this, n](const QString& text) {
            const WritingGuard guard(writing_);
            SetCanInputName(store(), n, text);
            NameEdited();
        });
    columns->addWidget(canGroup, 0, Qt::AlignTop);
    columns->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addStretch();
    ShowStore();
}

void InputsPage::showInput(int n) {
    const InputControls in = store().input(n);
    ShowText(CellAs<QLineEdit>(inputs_, InputNameCol, n), in.name);
    ShowIndex(CellAs<QComboBox>(inputs_, InputModeCol, n), in.mode);
}

void InputsPage::ShowStore() {
    for (int n = 1; n <= kInputCount; ++n)
        showInput(n);
    for (int n = 1; n <= kVirtualInputCount; ++n)
        ShowText(CellAs<QLineEdit>(virtuals_, 1, n), store().virtualInputName(n));
    for (int n = 1; n <= kCanRuleCount; ++n)
        ShowText(CellAs<QLineEdit>(cans_, 1, n), store().canInputName(n));
    ShowCheck(CheckBoxInputPWMEnable, store().pwm().inputPwm);
    ShowText(EditBoxName, store().boxName());
}

void InputsPage::ShowBlock(ConfigStore::Block block, int index) {
    using B = ConfigStore::Block;
    switch (block) {
    case B::Input: showInput(index); break;
    case B::VirtualInput: ShowText(CellAs<QLineEdit>(virtuals_, 1, index + 1), store().virtualInputName(index + 1)); break;
    case B::CanRule: ShowText(CellAs<QLineEdit>(cans_, 1, index + 1), store().canInputName(index + 1)); break;
    case B::Pwm: ShowCheck(CheckBoxInputPWMEnable, store().pwm().inputPwm); break;
    case B::BoxName: ShowText(EditBoxName, store().boxName()); break;
    default: break;
    }
}

} // namespace vm
