#include "pages/can_inputs_page.h"

#include "config/block_accessors.h"
#include "config/encodings.h"
#include "config/records.h"
#include "pages/name_lists.h"
#include "pages/page_binding.h"
#include "ui/byte_selector.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>

namespace vm {

namespace {

struct RowNames {
    const char* caption;
    const char* id;
    const char* op;
    const char* value;
    const char* dimension;
    const char* picker;
};
const RowNames kRows[2] = {
    {"ON", "EditCAN_ID_ON_1", "ComboBoxCAN_OperatorON", "EditValueCAN_ON_1", "LabelCanInDimension1",
     "ImageCan_1_ON"},
    {"OFF", "EditCAN_ID_OFF_1", "ComboBoxCAN_OperatorOFF", "EditValueCAN_OFF_1", "LabelCanInDimension2",
     "ImageCan_1_OFF"},
};
const char* const kOperatorTexts[] = {"=", ">", "<", "&", "!&", "not"};

QString UpperHex(const QString& text) { return text.toUpper(); }

template <class W> W* Named(W* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QLabel* Label(const char* text, QWidget* parent) { return new QLabel(QString::fromLatin1(text), parent); }

} // namespace

CanInputsPage::CanInputsPage(PageContext& context, QWidget* parent) : EditorPage(context, parent) {
    setObjectName(QStringLiteral("CanInputsPage"));
    auto* layout = new QHBoxLayout(this);

    ListBoxCAN_INPUT = Named(new QListWidget(this), "ListBoxCAN_INPUT");
    ListBoxCAN_INPUT->setFixedWidth(150);
    // All 32 rules from the start, so each can be edited offline.
    for (int i = 0; i < kCanRuleCount; ++i)
        ListBoxCAN_INPUT->addItem(entryText(i));
    layout->addWidget(ListBoxCAN_INPUT);

    auto* right = new QVBoxLayout;
    GroupBoxCAN_Parameter = Named(new QGroupBox(this), "GroupBoxCAN_Parameter");
    auto* groupLayout = new QVBoxLayout(GroupBoxCAN_Parameter);
    TabbedNotebookCANInput = Named(new QTabWidget(GroupBoxCAN_Parameter), "TabbedNotebookCANInput");
    TabbedNotebookCANInput->addTab(buildGeneral(), QStringLiteral("General"));
    TabbedNotebookCANInput->addTab(buildParameter(), QStringLiteral("Parameter"));
    TabbedNotebookCANInput->addTab(buildAnalyse(), QStringLiteral("Analyse"));
    groupLayout->addWidget(TabbedNotebookCANInput);
    right->addWidget(GroupBoxCAN_Parameter);
    right->addWidget(buildCanEnable());
    canMonitorPlace_ = Named(new QWidget(this), "CanMonitorPlace");
    right->addWidget(canMonitorPlace_);
    right->addWidget(TransferButtons({"BtnCanRead", "BtnCanUpload", "BtnCanInputDefault"}));
    right->addStretch();
    layout->addLayout(right);
    layout->addStretch();

    connect(ListBoxCAN_INPUT, &QListWidget::currentRowChanged, this, &CanInputsPage::ListBoxCAN_INPUTClick);
    ListBoxCAN_INPUT->setCurrentRow(0);
    ShowStore();
}

QWidget* CanInputsPage::buildGeneral() {
    auto* page = new QWidget(TabbedNotebookCANInput);
    auto* grid = new QGridLayout(page);
    grid->addWidget(Label("CAN ID", page), 0, 2);
    grid->addWidget(Label("Value", page), 0, 4);
    grid->addWidget(Label("Data byte", page), 0, 6);
    for (int r = 0; r < 2; ++r) {
        grid->addWidget(Label(kRows[r].caption, page), r + 1, 0);
        grid->addWidget(Label("0x", page), r + 1, 1);
        auto* id = Named(new QLineEdit(page), kRows[r].id);
        id->setFixedWidth(50);
        grid->addWidget(id, r + 1, 2);
        auto* op = Named(new QComboBox(page), kRows[r].op);
        for (const char* text : kOperatorTexts)
            op->addItem(QString::fromLatin1(text));
        op->setFocusPolicy(Qt::StrongFocus);
        grid->addWidget(op, r + 1, 3);
        auto* value = Named(new QLineEdit(page), kRows[r].value);
        value->setFixedWidth(70);
        grid->addWidget(value, r + 1, 4);
        dimensionLabels_[r] = Named(new QLabel(page), kRows[r].dimension);
        grid->addWidget(dimensionLabels_[r], r + 1, 5);
        pickers_[r] = Named(new ByteSelector(page), kRows[r].picker);
        grid->addWidget(pickers_[r], r + 1, 6);
        ids_[r] = id;
        operators_[r] = op;
        values_[r] = value;

        const bool on = r == 0;
        // Only identifiers the unit can match get in (11 bits, three digits).
        BindRule(id, 3, &rules::AcceptsCanId, &UpperHex, [this, on](const QString& text) {
            const std::optional<long long> value = ParseHexId(text);
            if (!value) return;
            writeRule([&](CanInputRule& rule) {
                (on ? rule.onId : rule.offId) = static_cast<std::int32_t>(*value);
            });
        });
        // Leaving an emptied or half-typed edit shows what the rule holds.
        connect(id, &QLineEdit::editingFinished, this, [this, on, id] {
            if (selected() < 0) return;
            const CanInputRule rule = CanRuleRecord(store(), selected());
            ShowText(id, HexIdText(static_cast<unsigned>(on ? rule.onId : rule.offId)));
        });
        connect(value, &QLineEdit::editingFinished, this, [this, on, value] {
            if (selected() < 0) return;
            const CanInputRule rule = CanRuleRecord(store(), selected());
            ShowText(value, rules::CanValueText(on ? rule.onValue : rule.offValue, rule.dataType == 1));
        });
        connect(pickers_[r], &ByteSelector::cellClicked, this, [this, on](int cell) { pickByte(on, cell); });
        BindIndex(op, [this, on](int index) {
            writeRule([&](CanInputRule& rule) { (on ? rule.onOperator : rule.offOperator) = index; });
        });
        BindRule(value, 5, &rules::AcceptsSignedDigits, nullptr, [this, on, value](const QString& text) {
            const int index = selected();
            if (index < 0) return;
            const bool isSigned = CanRuleRecord(store(), index).dataType == 1;
            const std::optional<rules::CanValueEdit> edit = rules::CanValue(text, isSigned);
            if (!edit) return;
            ShowText(value, edit->shown); // the 16-bit negative may be longer than typed
            writeRule([&](CanInputRule& rule) {
                (on ? rule.onValue : rule.offValue) = static_cast<std::int32_t>(edit->stored);
            });
        });
    }
    grid->setColumnStretch(7, 1);
    grid->setRowStretch(3, 1);
    return page;
}

QWidget* CanInputsPage::buildParameter() {
    auto* page = new QWidget(TabbedNotebookCANInput);
    auto* layout = new QHBoxLayout(page);

    auto* row = new QGroupBox(QStringLiteral("Row counter"), page);
    auto* rowGrid = new QGridLayout(row);
    CheckBoxCAN_In_RowEnable =
        Named(new QCheckBox(QStringLiteral("Enable"), row), "CheckBoxCAN_In_RowEnable");
    rowGrid->addWidget(CheckBoxCAN_In_RowEnable, 0, 0, 1, 2);
    rowGrid->addWidget(Label("Byte number", row), 1, 0);
    EditValueCAN_IN_RowByteIndex = Named(new QLineEdit(row), "EditValueCAN_IN_RowByteIndex");
    EditValueCAN_IN_RowByteIndex->setFixedWidth(40);
    rowGrid->addWidget(EditValueCAN_IN_RowByteIndex, 1, 1);
    rowGrid->addWidget(Label("0..7", row), 1, 2);
    rowGrid->addWidget(Label("Byte value", row), 2, 0);
    EditValueCAN_IN_RowByteValue = Named(new QLineEdit(row), "EditValueCAN_IN_RowByteValue");
    EditValueCAN_IN_RowByteValue->setFixedWidth(40);
    rowGrid->addWidget(EditValueCAN_IN_RowByteValue, 2, 1);
    layout->addWidget(row, 0, Qt::AlignTop);

    auto* type = new QGroupBox(QStringLiteral("Data type"), page);
    auto* typeLayout = new QVBoxLayout(type);
    RadioButton_Unsigned = Named(new QRadioButton(QStringLiteral("Unsigned"), type), "RadioButton_Unsigned");
    RadioButton_Signed = Named(new QRadioButton(QStringLiteral("Signed"), type), "RadioButton_Signed");
    typeLayout->addWidget(RadioButton_Unsigned);
    typeLayout->addWidget(RadioButton_Signed);
    layout->addWidget(type, 0, Qt::AlignTop);

    auto* dimension = new QGroupBox(QStringLiteral("Dimension"), page);
    auto* dimensionLayout = new QVBoxLayout(dimension);
    EditValueCAN_IN_Dimension = Named(new QLineEdit(dimension), "EditValueCAN_IN_Dimension");
    EditValueCAN_IN_Dimension->setFixedWidth(60);
    dimensionLayout->addWidget(EditValueCAN_IN_Dimension);
    layout->addWidget(dimension, 0, Qt::AlignTop);
    layout->addStretch();

    BindCheck(CheckBoxCAN_In_RowEnable,
              [this](bool on) { writeRule([&](CanInputRule& rule) { rule.rowEnable = on ? 1 : 0; }); });
    BindRule(EditValueCAN_IN_RowByteIndex, 3, &rules::AcceptsDigits, &rules::RowByteText,
             [this](const QString& text) {
                 if (text.isEmpty()) return;
                 writeRule([&](CanInputRule& rule) {
                     rule.rowByte = static_cast<std::uint8_t>(rules::WholePart(text));
                 });
             });
    BindRule(EditValueCAN_IN_RowByteValue, 3, &rules::AcceptsDigits, &rules::RowValueText,
             [this](const QString& text) {
                 if (text.isEmpty()) return;
                 writeRule([&](CanInputRule& rule) {
                     rule.rowValue = static_cast<std::uint8_t>(rules::WholePart(text));
                 });
             });
    connect(RadioButton_Unsigned, &QRadioButton::clicked, this,
            [this] { writeRule([](CanInputRule& rule) { rule.dataType = 0; }); });
    connect(RadioButton_Signed, &QRadioButton::clicked, this,
            [this] { writeRule([](CanInputRule& rule) { rule.dataType = 1; }); });
    BindText(EditValueCAN_IN_Dimension, kDimensionChars, [this](const QString& text) {
        writeRule([&](CanInputRule& rule) { rule.dimension = text; });
        for (QLabel* label : dimensionLabels_)
            label->setText(text);
    });
    return page;
}

QWidget* CanInputsPage::buildAnalyse() {
    auto* page = new QWidget(TabbedNotebookCANInput);
    auto* layout = new QVBoxLayout(page);
    auto* calibration = new QGroupBox(QStringLiteral("Calibration"), page);
    auto* grid = new QGridLayout(calibration);
    const char* const formula[] = {"Value f(x)", "=", "Multiplicator", "*", "Digits", "+", "Offset"};
    for (int i = 0; i < 7; ++i)
        grid->addWidget(Label(formula[i], calibration), 0, i);
    EditValueCAN_IN_Multiplicator = Named(new QLineEdit(calibration), "EditValueCAN_IN_Multiplicator");
    EditValueCAN_IN_Offset = Named(new QLineEdit(calibration), "EditValueCAN_IN_Offset");
    EditValueCAN_IN_Multiplicator->setFixedWidth(90);
    EditValueCAN_IN_Offset->setFixedWidth(60);
    grid->addWidget(EditValueCAN_IN_Multiplicator, 1, 2);
    grid->addWidget(EditValueCAN_IN_Offset, 1, 6);
    layout->addWidget(calibration);
    layout->addStretch();

    BindRule(EditValueCAN_IN_Multiplicator, 12, &rules::AcceptsSignedDecimal, nullptr,
             [this](const QString& text) {
                 bool ok = false;
                 const float value = rules::PointForComma(text).toFloat(&ok);
                 if (!ok) return;
                 writeRule([&](CanInputRule& rule) { rule.multiplicator = value; });
             });
    BindRule(EditValueCAN_IN_Offset, 6, &rules::AcceptsSignedDecimal, &rules::OffsetText,
             [this](const QString& text) {
                 const std::optional<int> value = rules::CanOffset(text);
                 if (!value) return;
                 writeRule([&](CanInputRule& rule) { rule.offset = static_cast<std::int8_t>(*value); });
             });
    return page;
}

QWidget* CanInputsPage::buildCanEnable() {
    auto* group =
        Named(new QGroupBox(QStringLiteral("Enable CAN via Input"), this), "GroupBoxCanInputEnable");
    auto* row = new QHBoxLayout(group);
    CheckBoxCanInputEnable =
        Named(new QCheckBox(QStringLiteral("CAN switching enabled if input is active"), group),
              "CheckBoxCanInputEnable");
    ComboBoxInputTrigCAN_Input = Named(new QComboBox(group), "ComboBoxInputTrigCAN_Input");
    ComboBoxInputTrigCAN_Input->setModel(names().inputNames());
    ComboBoxInputTrigCAN_Input->setFocusPolicy(Qt::StrongFocus);
    ComboBoxInputTrigCAN_Input->setFixedWidth(150);
    row->addWidget(CheckBoxCanInputEnable);
    row->addWidget(ComboBoxInputTrigCAN_Input);
    row->addStretch();

    BindCheck(CheckBoxCanInputEnable, [this](bool on) {
        const WritingGuard guard(writing_);
        CanSettingsControls settings = store().canSettings();
        settings.enable = on;
        store().setCanSettings(settings);
        ComboBoxInputTrigCAN_Input->setEnabled(on);
    });
    BindIndex(ComboBoxInputTrigCAN_Input, [this](int index) {
        const WritingGuard guard(writing_);
        CanSettingsControls settings = store().canSettings();
        settings.inputIndex = index;
        store().setCanSettings(settings);
    });
    return group;
}

int CanInputsPage::selected() const {
    const int row = ListBoxCAN_INPUT->currentRow();
    return row >= 0 && row < kCanRuleCount ? row : -1;
}

QString CanInputsPage::entryText(int index) const {
    // An unnamed rule still needs an entry one can see and pick.
    const QString name = CanInputName(context_.store, index + 1);
    return name.isEmpty() ? QStringLiteral("CAN %1").arg(index + 1) : name;
}

template <class Set> void CanInputsPage::writeRule(Set set) {
    const int index = selected();
    if (index < 0) return;
    const WritingGuard guard(writing_);
    CanInputRule rule = CanRuleRecord(store(), index);
    set(rule);
    SetCanRuleRecord(store(), index, rule);
}

void CanInputsPage::ListBoxCAN_INPUTClick() {
    const int index = selected();
    if (index < 0) return;
    const CanInputRule rule = CanRuleRecord(store(), index);
    GroupBoxCAN_Parameter->setTitle(ListBoxCAN_INPUT->item(index)->text());
    const bool isSigned = rule.dataType == 1;
    const std::int32_t ids[2] = {rule.onId, rule.offId};
    const std::int32_t ops[2] = {rule.onOperator, rule.offOperator};
    const std::int32_t values[2] = {rule.onValue, rule.offValue};
    for (int r = 0; r < 2; ++r) {
        ShowText(ids_[r], HexIdText(static_cast<unsigned>(ids[r])));
        ShowIndex(operators_[r], ops[r]);
        ShowText(values_[r], rules::CanValueText(values[r], isSigned));
        dimensionLabels_[r]->setText(rule.dimension);
    }
    pickers_[0]->setPositions(rule.onHighPos, rule.onLowPos);
    pickers_[1]->setPositions(rule.offHighPos, rule.offLowPos);
    ShowCheck(CheckBoxCAN_In_RowEnable, rule.rowEnable != 0);
    ShowText(EditValueCAN_IN_RowByteIndex, QString::number(rule.rowByte));
    ShowText(EditValueCAN_IN_RowByteValue, QString::number(rule.rowValue));
    // Another stored type leaves the buttons as they are.
    if (rule.dataType <= 1) {
        const QSignalBlocker a(RadioButton_Unsigned), b(RadioButton_Signed);
        (isSigned ? RadioButton_Signed : RadioButton_Unsigned)->setChecked(true);
    }
    ShowText(EditValueCAN_IN_Dimension, rule.dimension);
    ShowText(EditValueCAN_IN_Multiplicator,
             QString::asprintf("%3.6f", static_cast<double>(rule.multiplicator)));
    ShowText(EditValueCAN_IN_Offset, QString::number(rule.offset));
}

void CanInputsPage::pickByte(bool on, int cell) {
    if (selected() < 0) return;
    ByteSelector* picker = pickers_[on ? 0 : 1];
    const rules::BytePick pick = rules::PickByte(picker->high(), picker->low(), cell);
    if (pick.refused) {
        Q_EMIT statusMessage(rules::kSideBySideText);
        return;
    }
    picker->setPositions(pick.high, pick.low);
    writeRule([&](CanInputRule& rule) {
        (on ? rule.onHighPos : rule.offHighPos) = pick.high;
        (on ? rule.onLowPos : rule.offLowPos) = pick.low;
    });
}

void CanInputsPage::showSettings() {
    const CanSettingsControls& settings = store().canSettings();
    ShowCheck(CheckBoxCanInputEnable, settings.enable);
    ShowIndex(ComboBoxInputTrigCAN_Input, settings.inputIndex);
    ComboBoxInputTrigCAN_Input->setEnabled(settings.enable);
}

void CanInputsPage::ShowStore() {
    ListBoxCAN_INPUTClick();
    showSettings();
}

void CanInputsPage::ShowBlock(ConfigStore::Block block, int index) {
    if (block == ConfigStore::Block::CanRule && index == selected()) ListBoxCAN_INPUTClick();
    if (block == ConfigStore::Block::CanSettings) showSettings();
}

void CanInputsPage::RefreshNameLists() {
    for (int i = 0; i < kCanRuleCount; ++i)
        if (ListBoxCAN_INPUT->item(i)->text() != entryText(i))
            ListBoxCAN_INPUT->item(i)->setText(entryText(i));
    if (selected() < 0) {
        const QSignalBlocker blocker(ListBoxCAN_INPUT);
        ListBoxCAN_INPUT->setCurrentRow(0);
    }
    ListBoxCAN_INPUTClick();
}

} // namespace vm
