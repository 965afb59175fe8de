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
#include <utility>

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

// A group of a start and an end address over two buttons; the three groups
// of the window differ only in their names.
struct RangeGroup {
    QGroupBox* box;
    QGridLayout* grid;
    QLineEdit* start;
    QLineEdit* end;
    QPushButton* left;
    QPushButton* right;
};

RangeGroup MakeRangeGroup(QWidget* parent, const char* title, const char* prefix,
                          std::pair<const char*, const char*> left,
                          std::pair<const char*, const char*> right) {
    RangeGroup g;
    g.box = new QGroupBox(QString::fromLatin1(title), parent);
    g.grid = new QGridLayout(g.box);
    const QByteArray start = QByteArray(prefix) + "StartEdit", end = QByteArray(prefix) + "EndEdit";
    g.start = HexEdit(g.box, start.constData(), "0000");
    g.end = HexEdit(g.box, end.constData(), "1000");
    g.left = Button(g.box, left.first, left.second);
    g.right = Button(g.box, right.first, right.second);
    g.grid->addWidget(g.start, 0, 0);
    g.grid->addWidget(g.end, 0, 1);
    g.grid->addWidget(g.left, 1, 0);
    g.grid->addWidget(g.right, 1, 1);
    return g;
}

} // namespace

TEEPROMForm::TEEPROMForm(ServiceContext& context, QWidget* parent)
    : QDialog(parent), context_(context), model_(image_), transfer_(context.unit, image_) {
    setObjectName(QStringLiteral("EEPROMForm"));
    setWindowTitle(QStringLiteral("EEPROM"));
    resize(900, 600);

    const RangeGroup eeprom =
        MakeRangeGroup(this, " EEPROM ", "EEPROM", {"EEPROMReadBtn", "Read"}, {"EEPROMWriteBtn", "Write"});
    EEPROMStartEdit = eeprom.start;
    EEPROMEndEdit = eeprom.end;
    EEPROMReadBtn = eeprom.left;
    EEPROMWriteBtn = eeprom.right;
    EEPROMProgressBar = new QProgressBar(eeprom.box);
    EEPROMProgressBar->setObjectName(QStringLiteral("EEPROMProgressBar"));
    EEPROMProgressBar->setRange(0, 100);
    EEPROMProgressBar->setValue(0);
    eeprom.grid->addWidget(EEPROMProgressBar, 2, 0, 1, 2);

    const RangeGroup file =
        MakeRangeGroup(this, " File ", "File", {"FileLoadBtn", "Load"}, {"FileSaveBtn", "Save"});
    FileStartEdit = file.start;
    FileEndEdit = file.end;

    const RangeGroup buffer = MakeRangeGroup(this, " Buffer ", "Fill", {"BufferFill00Btn", "Fill with 00"},
                                             {"BufferFillFFBtn", "Fill with FF"});
    FillStartEdit = buffer.start;
    FillEndEdit = buffer.end;

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
    groups->addWidget(eeprom.box);
    groups->addWidget(file.box);
    groups->addWidget(buffer.box);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(groups);
    layout->addWidget(pages, 1);

    connect(EEPROMReadBtn, &QPushButton::clicked, this, &TEEPROMForm::EEPROMReadBtnClick);
    connect(EEPROMWriteBtn, &QPushButton::clicked, this, &TEEPROMForm::EEPROMWriteBtnClick);
    connect(buffer.left, &QPushButton::clicked, this, &TEEPROMForm::BufferFill00BtnClick);
    connect(buffer.right, &QPushButton::clicked, this, &TEEPROMForm::BufferFillFFBtnClick);
    connect(file.left, &QPushButton::clicked, this, &TEEPROMForm::FileLoadBtnClick);
    connect(file.right, &QPushButton::clicked, this, &TEEPROMForm::FileSaveBtnClick);
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
