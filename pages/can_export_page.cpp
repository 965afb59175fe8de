#include "pages/can_export_page.h"

#include "pages/name_lists.h"
#include "pages/page_binding.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QVBoxLayout>

namespace vm {

namespace {

constexpr int kCounterRows = 12;
constexpr int kFirstCounterBox = 6; // boxes 7..18 carry data byte 7 per row

const char* const kSheetCaptions[4] = {"CAN Export 1", "CAN Export 2", "CAN Export 3", "CAN_Export 4"};
const char* const kStatusCaption = "Channel Output status, If bit = 1 the channel is ON";
const char* const kErrorCaption = "Channel ERROR bit, If bit = 1 the channel is in error state";
const char* const kTotalCaption = "Total current used. 'scale 1 = 1Amp'";

QString UpperHex(const QString& text) { return text.toUpper(); }

QLabel* Label(const QString& text, QWidget* parent) { return new QLabel(text, parent); }

} // namespace

CanExportPage::CanExportPage(PageContext& context, QWidget* parent) : EditorPage(context, parent) {
    setObjectName(QStringLiteral("CanExportPage"));
    TabbedNotebook2 = new QTabWidget(this);
    TabbedNotebook2->setObjectName(QStringLiteral("TabbedNotebook2"));
    for (int n = 1; n <= 4; ++n)
        TabbedNotebook2->addTab(buildSheet(n), QString::fromLatin1(kSheetCaptions[n - 1]));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(TabbedNotebook2);
    layout->addStretch();
    ShowStore();
}

QWidget* CanExportPage::buildSheet(int n) {
    auto* sheet = new QWidget(this);
    sheet->setObjectName(QStringLiteral("TabSheetCAN_Export%1").arg(n));
    auto* layout = new QVBoxLayout(sheet);
    layout->addWidget(buildHead(n, sheet));
    if (n == 1)
        buildExport1(sheet);
    else
        buildBits(n, sheet);
    layout->addStretch();
    return sheet;
}

QWidget* CanExportPage::buildHead(int n, QWidget* parent) {
    Sheet& s = sheets_[static_cast<std::size_t>(n - 1)];
    auto* head = new QWidget(parent);
    auto* row = new QHBoxLayout(head);
    row->setContentsMargins(0, 0, 0, 0);
    s.enable = new QCheckBox(QStringLiteral("Enable"), head);
    s.enable->setObjectName(QStringLiteral("CheckBoxCAN_Export%1").arg(n));
    s.id = new QLineEdit(head);
    s.id->setObjectName(QStringLiteral("EditCAN_ID_Export%1").arg(n));
    s.id->setFixedWidth(50);
    s.refresh = new QLineEdit(head);
    s.refresh->setObjectName(QStringLiteral("Edit_REFRESS_Export%1").arg(n));
    s.refresh->setFixedWidth(60);
    row->addWidget(s.enable);
    row->addWidget(Label(QStringLiteral("CAN ID"), head));
    row->addWidget(Label(QStringLiteral("0x"), head));
    row->addWidget(s.id);
    row->addWidget(Label(QStringLiteral("Refresh"), head));
    row->addWidget(s.refresh);
    row->addWidget(Label(QStringLiteral("msec"), head));
    row->addStretch();

    BindCheck(s.enable, [this, n](bool on) { writeExport(n, [&](CanExportControls& e) { e.enable = on; }); });
    // Only identifiers the unit can send get in (11 bits, three digits).
    BindRule(s.id, 3, &rules::AcceptsCanId, &UpperHex, [this, n](const QString& text) {
        if (text.isEmpty()) return;
        writeExport(n, [&](CanExportControls& e) { e.id = text; });
    });
    connect(s.id, &QLineEdit::editingFinished, this, [this, n] { showExport(n); });
    // The store gets at least 20 ms at once; the edit follows when editing
    // ends, so 1000 can be typed one digit at a time.
    BindRule(s.refresh, 5, &rules::AcceptsRefresh, nullptr, [this, n](const QString& text) {
        writeExport(n, [&](CanExportControls& e) { e.refresh = rules::RefreshAfterEditing(text); });
    });
    connect(s.refresh, &QLineEdit::editingFinished, this, [this, n] { showExport(n); });
    return head;
}

QComboBox* CanExportPage::dataBox(int n, int boxIndex, const QString& objectName, QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->setObjectName(objectName);
    box->setModel(n == 1 ? names().export1Choices() : names().exportChoices());
    box->setFocusPolicy(Qt::StrongFocus);
    // Eight bit boxes in a row fit the design width.
    box->setFixedWidth(n == 1 ? 120 : 100);
    BindIndex(box, [this, n, boxIndex](int index) {
        writeExport(n, [&](CanExportControls& e) {
            if (e.boxes.size() <= static_cast<std::size_t>(boxIndex))
                e.boxes.resize(static_cast<std::size_t>(boxIndex) + 1, 0);
            e.boxes[static_cast<std::size_t>(boxIndex)] = index;
        });
    });
    sheets_[static_cast<std::size_t>(n - 1)].boxes.push_back(box);
    return box;
}

void CanExportPage::buildExport1(QWidget* sheet) {
    sheet->layout()->addWidget(Label(QStringLiteral("Channel output, The current is divided by 4"), sheet));
    auto* grid = new QGridLayout;
    grid->addWidget(Label(QStringLiteral("Data byte 0"), sheet), 0, 0);
    grid->addWidget(Label(QStringLiteral("Row Count"), sheet), 0, 1);
    EditCAN_EXPORT_1_RowCounter = new QLineEdit(sheet);
    EditCAN_EXPORT_1_RowCounter->setObjectName(QStringLiteral("EditCAN_EXPORT_1_RowCounter"));
    EditCAN_EXPORT_1_RowCounter->setFixedWidth(40);
    grid->addWidget(EditCAN_EXPORT_1_RowCounter, 0, 2);
    for (int box = 1; box <= kExport1Boxes; ++box) {
        const bool counter = box > kFirstCounterBox;
        const int gridRow = counter ? box - kFirstCounterBox : box;
        const int column = counter ? 4 : 0;
        grid->addWidget(Label(counter ? QStringLiteral("Counter %1").arg(gridRow, 2, 10, QLatin1Char('0'))
                                      : QStringLiteral("Data byte %1").arg(box),
                              sheet),
                        gridRow, column);
        grid->addWidget(
            dataBox(1, box - 1, QStringLiteral("ComboBox_CAN_Export1_DataByte%1").arg(box), sheet), gridRow,
            column + 1);
        grid->addWidget(Label(QStringLiteral("Ampere"), sheet), gridRow, column + 2);
    }
    grid->addWidget(Label(QStringLiteral("Data byte 7"), sheet), 0, 4);
    grid->setColumnMinimumWidth(3, 20);
    grid->setColumnStretch(7, 1);
    static_cast<QVBoxLayout*>(sheet->layout())->addLayout(grid);

    BindRule(EditCAN_EXPORT_1_RowCounter, 2, &rules::AcceptsRowCount, &rules::RowCountText,
             [this](const QString& text) {
                 if (text.isEmpty()) return;
                 writeExport(1, [&](CanExportControls& e) { e.rowCount = text; });
                 showCounterRows(text);
             });
    connect(EditCAN_EXPORT_1_RowCounter, &QLineEdit::editingFinished, this, [this] { showExport(1); });
}

void CanExportPage::buildBits(int n, QWidget* sheet) {
    const int bits = kExportBitBoxes[n - 2];
    if (n == 2) sheet->layout()->addWidget(Label(QString::fromLatin1(kStatusCaption), sheet));
    if (n == 3) sheet->layout()->addWidget(Label(QString::fromLatin1(kErrorCaption), sheet));
    auto* grid = new QGridLayout;
    for (int bit = 7; bit >= 0; --bit)
        grid->addWidget(Label(QStringLiteral("Bit %1").arg(bit), sheet), 0, 8 - bit);
    for (int i = 0; i < bits; ++i) {
        const int byte = i / 8;
        const int bit = 7 - i % 8;
        if (bit == 7) {
            QString caption = QStringLiteral("Data byte %1").arg(byte);
            // Export 4 carries the status bits in bytes 0..3, the error bits in 4..7.
            if (n == 4 && byte == 0) caption += QStringLiteral("  ") + QString::fromLatin1(kStatusCaption);
            if (n == 4 && byte == 4) caption += QStringLiteral("  ") + QString::fromLatin1(kErrorCaption);
            grid->addWidget(Label(caption, sheet), 2 * byte + 1, 0, 1, 9);
        }
        grid->addWidget(
            dataBox(n, i, QStringLiteral("ComboBox_CAN_Export%1_DataByte%2_Bit%3").arg(n).arg(byte).arg(bit),
                    sheet),
            2 * byte + 2, 8 - bit);
    }
    if (n != 4) {
        grid->addWidget(Label(QStringLiteral("Data byte 5"), sheet), 12, 0, 1, 2);
        grid->addWidget(Label(QString::fromLatin1(kTotalCaption), sheet), 12, 2, 1, 6);
    }
    grid->setColumnStretch(9, 1);
    static_cast<QVBoxLayout*>(sheet->layout())->addLayout(grid);
}

template <class Set> void CanExportPage::writeExport(int n, Set set) {
    const WritingGuard guard(writing_);
    CanExportControls e = store().canExport(n);
    set(e);
    store().setCanExport(n, e);
}

void CanExportPage::showCounterRows(const QString& rowCount) {
    const int rows = rules::CounterRowsInUse(rowCount);
    const auto& boxes = sheets_[0].boxes;
    for (int k = 0; k < kCounterRows; ++k)
        boxes[static_cast<std::size_t>(kFirstCounterBox + k)]->setEnabled(rows > k);
}

void CanExportPage::showExport(int n) {
    const CanExportControls e = store().canExport(n);
    const Sheet& s = sheets_[static_cast<std::size_t>(n - 1)];
    ShowCheck(s.enable, e.enable);
    ShowText(s.id, e.id);
    ShowText(s.refresh, e.refresh);
    for (std::size_t i = 0; i < s.boxes.size(); ++i)
        ShowIndex(s.boxes[i], i < e.boxes.size() ? e.boxes[i] : kNoSelection);
    if (n == 1) {
        ShowText(EditCAN_EXPORT_1_RowCounter, e.rowCount);
        showCounterRows(e.rowCount);
    }
}

void CanExportPage::ShowStore() {
    for (int n = 1; n <= 4; ++n)
        showExport(n);
}

void CanExportPage::ShowBlock(ConfigStore::Block block, int index) {
    if (block == ConfigStore::Block::CanExport && index >= 1 && index <= 4) showExport(index);
}

} // namespace vm
