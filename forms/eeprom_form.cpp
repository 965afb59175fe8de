#include "forms/eeprom_form.h"

#include "session/user_prompt.h"
#include "tools/eeprom/eeprom_file.h"

#include <QApplication>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

namespace vm {

namespace {

// Cell editing by the grid's rule: each change of the text goes through
// EditCell, so typing shifts digits in and a non-hex text beeps.
class CellDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex& index) const override {
        auto* editor = new QLineEdit(parent);
        const QPersistentModelIndex cell(index);
        auto* model = const_cast<QAbstractItemModel*>(index.model());
        auto remembered = std::make_shared<QString>(index.data(Qt::EditRole).toString());
        QObject::connect(editor, &QLineEdit::textEdited, editor, [=](const QString& text) {
            const CellEdit edit = EditCell(*remembered, text);
            if (!edit.changed) return;
            if (edit.beep) QApplication::beep();
            *remembered = edit.cell;
            editor->setText(edit.cell);
            editor->selectAll(); // the next digit shifts in again
            if (cell.isValid()) model->setData(cell, edit.cell);
        });
        return editor;
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        auto* e = static_cast<QLineEdit*>(editor);
        e->setText(index.data(Qt::EditRole).toString());
        e->selectAll();
    }
    void setModelData(QWidget*, QAbstractItemModel*, const QModelIndex&) const override {
        // Every change was put into the model as it was typed.
    }
};

QLineEdit* HexEdit(QWidget* parent, const char* name, const char* text) {
    auto* e = new QLineEdit(QString::fromLatin1(text), parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setMaxLength(4);
    e->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9A-Fa-f]{0,4}")), e));
    return e;
}

QPushButton* Button(QWidget* parent, const char* name, const char* caption) {
    auto* b = new QPushButton(QString::fromLatin1(caption), parent);
    b->setObjectName(QString::fromLatin1(name));
    return b;
}

} // namespace

TEEPROMForm::TEEPROMForm(ServiceContext& context, QWidget* parent)
    : QDialog(parent), context_(context), model_(image_), transfer_(context.unit, image_) {
    setObjectName(QStringLiteral("EEPROMForm"));
    setWindowTitle(QStringLiteral("EEPROM"));
    resize(900, 600);

    auto* eeprom = new QGroupBox(QStringLiteral(" EEPROM "), this);
    auto* g1 = new QGridLayout(eeprom);
    EEPROMStartEdit = HexEdit(eeprom, "EEPROMStartEdit", "0000");
    EEPROMEndEdit = HexEdit(eeprom, "EEPROMEndEdit", "1000");
    EEPROMReadBtn = Button(eeprom, "EEPROMReadBtn", "Read");
    EEPROMWriteBtn = Button(eeprom, "EEPROMWriteBtn", "Write");
    EEPROMProgressBar = new QProgressBar(eeprom);
    EEPROMProgressBar->setObjectName(QStringLiteral("EEPROMProgressBar"));
    EEPROMProgressBar->setRange(0, 100);
    EEPROMProgressBar->setValue(0);
    g1->addWidget(EEPROMStartEdit, 0, 0);
    g1->addWidget(EEPROMEndEdit, 0, 1);
    g1->addWidget(EEPROMReadBtn, 1, 0);
    g1->addWidget(EEPROMWriteBtn, 1, 1);
    g1->addWidget(EEPROMProgressBar, 2, 0, 1, 2);

    auto* file = new QGroupBox(QStringLiteral(" File "), this);
    auto* g2 = new QGridLayout(file);
    FileStartEdit = HexEdit(file, "FileStartEdit", "0000");
    FileEndEdit = HexEdit(file, "FileEndEdit", "1000");
    auto* load = Button(file, "FileLoadBtn", "Load");
    auto* save = Button(file, "FileSaveBtn", "Save");
    g2->addWidget(FileStartEdit, 0, 0);
    g2->addWidget(FileEndEdit, 0, 1);
    g2->addWidget(load, 1, 0);
    g2->addWidget(save, 1, 1);

    auto* buffer = new QGroupBox(QStringLiteral(" Buffer "), this);
    auto* g3 = new QGridLayout(buffer);
    FillStartEdit = HexEdit(buffer, "FillStartEdit", "0000");
    FillEndEdit = HexEdit(buffer, "FillEndEdit", "1000");
    auto* fill00 = Button(buffer, "BufferFill00Btn", "Fill with 00");
    auto* fillFF = Button(buffer, "BufferFillFFBtn", "Fill with FF");
    g3->addWidget(FillStartEdit, 0, 0);
    g3->addWidget(FillEndEdit, 0, 1);
    g3->addWidget(fill00, 1, 0);
    g3->addWidget(fillFF, 1, 1);

    auto* pages = new QTabWidget(this);
    pages->setObjectName(QStringLiteral("PageControl1"));
    EEStringGrid = new QTableView(pages);
    EEStringGrid->setObjectName(QStringLiteral("EEStringGrid"));
    EEStringGrid->setModel(&model_);
    EEStringGrid->setItemDelegate(new CellDelegate(EEStringGrid));
    EEStringGrid->verticalHeader()->hide();
    EEStringGrid->verticalHeader()->setDefaultSectionSize(20);
    for (int c = 0; c < EepromModel::kColumns; ++c)
        EEStringGrid->setColumnWidth(c, 30);
    EEStringGrid->setColumnWidth(EepromModel::kAddressColumn, 44);
    EEStringGrid->setColumnWidth(EepromModel::kAsciiColumn, 134);
    EEStringGrid->horizontalHeader()->setStretchLastSection(true);
    pages->addTab(EEStringGrid, QStringLiteral("EEPROM"));

    auto* groups = new QHBoxLayout;
    groups->addWidget(eeprom);
    groups->addWidget(file);
    groups->addWidget(buffer);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(groups);
    layout->addWidget(pages, 1);

    connect(EEPROMReadBtn, &QPushButton::clicked, this, &TEEPROMForm::EEPROMReadBtnClick);
    connect(EEPROMWriteBtn, &QPushButton::clicked, this, &TEEPROMForm::EEPROMWriteBtnClick);
    connect(fill00, &QPushButton::clicked, this, &TEEPROMForm::BufferFill00BtnClick);
    connect(fillFF, &QPushButton::clicked, this, &TEEPROMForm::BufferFillFFBtnClick);
    connect(load, &QPushButton::clicked, this, &TEEPROMForm::FileLoadBtnClick);
    connect(save, &QPushButton::clicked, this, &TEEPROMForm::FileSaveBtnClick);
    connect(&transfer_, &EepromTransfer::progressChanged, EEPROMProgressBar, &QProgressBar::setValue);
    connect(&transfer_, &EepromTransfer::progressChanged, this, [this] {
        if (transfer_.mode() == EepromTransfer::Mode::Reading)
            EEPROMReadBtn->setText(QStringLiteral("Reading"));
        if (transfer_.mode() == EepromTransfer::Mode::Writing)
            EEPROMWriteBtn->setText(QStringLiteral("Writing"));
    });
    connect(&transfer_, &EepromTransfer::finished, this, &TEEPROMForm::transferEnded);
    connect(&transfer_, &EepromTransfer::failed, this, &TEEPROMForm::transferEnded);
    // The reply timer is no receive dispatch, but a device-loss end may come from one: show it after.
    connect(
        &transfer_, &EepromTransfer::failed, this,
        [this](const QString& why) { context_.prompt.ShowError(why); }, Qt::QueuedConnection);
}

std::optional<EepromRange> TEEPROMForm::rangeOf(QLineEdit* start, QLineEdit* end) {
    const RangeCheck check = CheckEepromRange(start->text(), end->text());
    if (!check.range) context_.prompt.ShowError(check.error);
    return check.range;
}

void TEEPROMForm::EEPROMReadBtnClick() {
    const auto range = rangeOf(EEPROMStartEdit, EEPROMEndEdit);
    if (!range) return;
    EEPROMReadBtn->setEnabled(false);
    transfer_.StartRead(*range);
}

void TEEPROMForm::EEPROMWriteBtnClick() {
    const auto range = rangeOf(EEPROMStartEdit, EEPROMEndEdit);
    if (!range) return;
    if (const auto refused = transfer_.StartWrite(*range)) {
        context_.prompt.ShowError(*refused);
        return;
    }
    EEPROMWriteBtn->setEnabled(false);
}

void TEEPROMForm::transferEnded() {
    EEPROMReadBtn->setText(QStringLiteral("Read"));
    EEPROMReadBtn->setEnabled(true);
    EEPROMWriteBtn->setText(QStringLiteral("Write"));
    EEPROMWriteBtn->setEnabled(true);
}

void TEEPROMForm::fill(std::uint8_t value) {
    if (const auto range = rangeOf(FillStartEdit, FillEndEdit)) image_.Fill(range->start, range->end, value);
}

void TEEPROMForm::FileLoadBtnClick() {
    const QString name =
        context_.prompt.AskOpenFile(QStringLiteral("Text files (*.txt);;Bin files (*.bin)"), QString())
            .trimmed();
    if (name.isEmpty()) return;
    const QString refused = LoadEepromFile(name, image_);
    if (!refused.isEmpty()) context_.prompt.ShowError(refused);
}

void TEEPROMForm::FileSaveBtnClick() {
    const auto range = rangeOf(FileStartEdit, FileEndEdit);
    if (!range) return;
    const QString name =
        context_.prompt
            .AskSaveFile(QStringLiteral("text file (*.txt);;bin (*.bin)"), QStringLiteral("txt"), QString())
            .trimmed();
    if (name.isEmpty()) return;
    if (QFileInfo::exists(name) &&
        !context_.prompt.ConfirmWarning(QStringLiteral("File already exists: '%1'\nOverwrite ?").arg(name)))
        return;
    const QString failed = SaveEepromFile(name, image_, range->start, range->end);
    if (!failed.isEmpty()) context_.prompt.ShowError(failed);
}

} // namespace vm
