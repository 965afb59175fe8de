#include "pages/virtual_inputs_page.h"

#include "config/block_accessors.h"
#include "config/encodings.h"
#include "config/records.h"
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

struct TermNames {
    const char* box;
    const char* notBox;
    const char* delay;
};
const TermNames kTerms[3] = {
    {"ComboBoxVirtuel_1_Channel_1", "CheckBoxVirtuel_Channel_1", "EditDelayTime"},
    {"ComboBoxVirtuel_1_Channel_2", "CheckBoxVirtuel_Channel_2", "EditDelayTime2"},
    {"ComboBoxVirtuel_1_Channel_3", "CheckBoxVirtuel_Channel_3", "EditDelayTime3"},
};
const char* const kOperators[2] = {"ComboBoxVirtuel_1_operator_1", "ComboBoxVirtuel_1_operator_2"};

// Grid columns of the one-line expression: ( [!] t1 op1 [!] t2 ) op2 [!] t3.
constexpr int kNotColumn[3] = {1, 5, 9};
constexpr int kOperatorColumn[2] = {4, 8};

} // namespace

VirtualInputsPage::VirtualInputsPage(PageContext& context, QWidget* parent) : EditorPage(context, parent) {
    setObjectName(QStringLiteral("VirtualInputsPage"));
    auto* layout = new QHBoxLayout(this);

    ListBoxVIRTUAL_INPUT = new QListWidget(this);
    ListBoxVIRTUAL_INPUT->setObjectName(QStringLiteral("ListBoxVIRTUAL_INPUT"));
    ListBoxVIRTUAL_INPUT->setFixedWidth(150);
    // Every virtual input is there from the start, so all can be edited offline.
    for (int i = 0; i < kVirtualInputCount; ++i)
        ListBoxVIRTUAL_INPUT->addItem(entryText(i));
    // All 15 in view.
    ListBoxVIRTUAL_INPUT->setMinimumHeight((kVirtualInputCount + 1) *
                                               ListBoxVIRTUAL_INPUT->sizeHintForRow(0) +
                                           2 * ListBoxVIRTUAL_INPUT->frameWidth());
    layout->addWidget(ListBoxVIRTUAL_INPUT, 0, Qt::AlignTop);

    GroupBoxVirtuelParameter = new QGroupBox(this);
    GroupBoxVirtuelParameter->setObjectName(QStringLiteral("GroupBoxVirtuelParameter"));
    auto* grid = new QGridLayout(GroupBoxVirtuelParameter);
    const auto label = [&](const QString& text, int row, int column) {
        grid->addWidget(new QLabel(text, GroupBoxVirtuelParameter), row, column);
    };
    label(QStringLiteral("("), 0, 0);
    label(QStringLiteral(")"), 0, 7);
    for (int t = 0; t < 3; ++t) {
        auto* notBox = new QCheckBox(QStringLiteral("!"), GroupBoxVirtuelParameter);
        notBox->setObjectName(QString::fromLatin1(kTerms[t].notBox));
        notBox->setToolTip(QStringLiteral("NOT"));
        grid->addWidget(notBox, 0, kNotColumn[t]);
        nots_[t] = notBox;

        auto* term = new QComboBox(GroupBoxVirtuelParameter);
        term->setObjectName(QString::fromLatin1(kTerms[t].box));
        term->setModel(names().virtualSources());
        term->setFixedWidth(150);
        term->setFocusPolicy(Qt::StrongFocus);
        grid->addWidget(term, 0, kNotColumn[t] + 1);
        terms_[t] = term;

        label(QStringLiteral("Delay [sec]"), 1, kNotColumn[t] + 1);
        auto* delay = new QLineEdit(GroupBoxVirtuelParameter);
        delay->setObjectName(QString::fromLatin1(kTerms[t].delay));
        delay->setFixedWidth(60);
        grid->addWidget(delay, 2, kNotColumn[t] + 1, Qt::AlignLeft);
        delays_[t] = delay;

        const std::uint8_t bit = static_cast<std::uint8_t>(1u << t);
        BindCheck(notBox, [this, bit](bool on) {
            writeVirtual([&](VirtualInputDef& d) {
                d.invertMask = static_cast<std::uint8_t>(on ? (d.invertMask | bit) : (d.invertMask & ~bit));
            });
        });
        BindIndex(term, [this, t](int index) {
            writeVirtual([&](VirtualInputDef& d) { d.term[t] = static_cast<std::uint8_t>(index); });
        });
        BindNumber(delay, rules::NumberEdit::VirtualDelay, 4, [this, t](const QString& text) {
            if (text.isEmpty()) return;
            writeVirtual([&](VirtualInputDef& d) { d.delay[t] = CapByte(TextToTenths(text)); });
        });
    }
    for (int o = 0; o < 2; ++o) {
        auto* op = new QComboBox(GroupBoxVirtuelParameter);
        op->setObjectName(QString::fromLatin1(kOperators[o]));
        op->addItems({QStringLiteral("AND"), QStringLiteral("OR"), QStringLiteral("NOR")});
        op->setFocusPolicy(Qt::StrongFocus);
        grid->addWidget(op, 0, kOperatorColumn[o]);
        operators_[o] = op;
        BindIndex(op, [this, o](int index) {
            writeVirtual([&](VirtualInputDef& d) { d.op[o] = static_cast<std::uint8_t>(index); });
        });
    }
    grid->setRowStretch(3, 1);
    layout->addWidget(GroupBoxVirtuelParameter, 0, Qt::AlignTop);
    layout->addStretch();

    connect(ListBoxVIRTUAL_INPUT, &QListWidget::currentRowChanged, this,
            &VirtualInputsPage::ListBoxVIRTUAL_INPUTClick);
    ListBoxVIRTUAL_INPUT->setCurrentRow(0);
    ShowStore();
}

int VirtualInputsPage::selected() const {
    const int row = ListBoxVIRTUAL_INPUT->currentRow();
    return row >= 0 && row < kVirtualInputCount ? row : -1;
}

QString VirtualInputsPage::entryText(int index) const {
    // An unnamed input still needs an entry one can see and pick.
    const QString name = VirtualInputName(context_.store, index + 1);
    return name.isEmpty() ? QStringLiteral("Virtual %1").arg(index + 1) : name;
}

template <class Set> void VirtualInputsPage::writeVirtual(Set set) {
    const int index = selected();
    if (index < 0) return;
    const WritingGuard guard(writing_);
    VirtualInputDef d = VirtualInputRecord(store(), index);
    set(d);
    SetVirtualInputRecord(store(), index, d);
}

void VirtualInputsPage::ListBoxVIRTUAL_INPUTClick() {
    const int index = selected();
    if (index < 0) return;
    const VirtualInputDef d = VirtualInputRecord(store(), index);
    GroupBoxVirtuelParameter->setTitle(ListBoxVIRTUAL_INPUT->item(index)->text());
    for (int t = 0; t < 3; ++t) {
        ShowIndex(terms_[t], d.term[t]);
        ShowCheck(nots_[t], (d.invertMask >> t) & 1u);
        ShowText(delays_[t], TenthsText(d.delay[t]));
    }
    for (int o = 0; o < 2; ++o)
        ShowIndex(operators_[o], d.op[o]);
}

void VirtualInputsPage::ShowStore() { ListBoxVIRTUAL_INPUTClick(); }

void VirtualInputsPage::ShowBlock(ConfigStore::Block block, int index) {
    if (block == ConfigStore::Block::VirtualInput && index == selected()) ListBoxVIRTUAL_INPUTClick();
}

void VirtualInputsPage::RefreshNameLists() {
    for (int i = 0; i < kVirtualInputCount; ++i)
        if (ListBoxVIRTUAL_INPUT->item(i)->text() != entryText(i))
            ListBoxVIRTUAL_INPUT->item(i)->setText(entryText(i));
    if (selected() < 0) {
        const QSignalBlocker blocker(ListBoxVIRTUAL_INPUT);
        ListBoxVIRTUAL_INPUT->setCurrentRow(0);
    }
    ListBoxVIRTUAL_INPUTClick();
}

} // namespace vm
