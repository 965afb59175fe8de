#include "pages/general_page.h"

#include "pages/output_pins.h"
#include "ui/channel_button.h"
#include "ui/windows_colour.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

namespace vm {

namespace {

constexpr int kRowHeight = 20;
constexpr int kLampWidth = 30;
constexpr int kStateWidth = 74;

// Room for "34: " and a name of this many average characters; longer names
// are cut on screen and shown whole in the tool tip.
int nameWidth(const QWidget& widget, int characters) {
    const QFontMetrics fm = widget.fontMetrics();
    return fm.horizontalAdvance(QStringLiteral("34: ")) + characters * fm.averageCharWidth();
}

QLabel* makeNameLabel(const QString& objectName, const QString& text, int width, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(objectName);
    label->setFixedWidth(width);
    label->setToolTip(text);
    return label;
}

// A sunken, filled label: a lamp or a channel state.
QLabel* makeLamp(const QString& objectName, int width, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(objectName);
    label->setAlignment(Qt::AlignCenter);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setFixedSize(width, kRowHeight);
    return label;
}

void showLamp(QLabel& lamp, bool on) {
    lamp.setText(LiveStatus::LampText(on));
    SetBackgroundColour(lamp, LiveStatus::LampColour(on));
}

void setName(QLabel* label, int number, const QString& name) {
    if (!label) return;
    label->setText(NumberedName(number, name));
    label->setToolTip(label->text());
}

QGridLayout* compactGrid(QGroupBox& group) {
    auto* grid = new QGridLayout(&group);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(2);
    grid->setContentsMargins(6, 4, 6, 4);
    return grid;
}

} // namespace

GeneralPage::GeneralPage(UnitSession& session, QWidget* parent)
    : QWidget(parent), session_(session), live_(session.live()) {
    setObjectName(QStringLiteral("GeneralPage"));

    auto* right = new QVBoxLayout;
    right->addWidget(buildStatus());
    right->addWidget(buildMode());
    right->addWidget(buildInputs());
    right->addStretch(1);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(4, 4, 4, 4);
    grid->setSpacing(6);
    grid->addWidget(buildHighPower(), 0, 0, Qt::AlignTop);
    grid->addWidget(buildLowPower(), 0, 1, Qt::AlignTop);
    grid->addLayout(right, 0, 2);
    grid->addWidget(buildCanInputs(), 1, 0, 1, 3);
    grid->setRowStretch(2, 1);
    grid->setColumnStretch(3, 1);

    // The unit's answers come in bursts (34 channel states a poll): the page
    // takes note and redraws what changed at most ten times a second.
    redraw_.setSingleShot(true);
    redraw_.setInterval(kRedrawMs);
    connect(&redraw_, &QTimer::timeout, this, &GeneralPage::Flush);
    connect(&live_, &LiveStatus::valuesChanged, this, [this] { markDirty(kValuesDirty); });
    connect(&live_, &LiveStatus::inputsChanged, this, [this] { markDirty(kInputsDirty); });
    connect(&live_, &LiveStatus::channelChanged, this, [this](int channel) {
        if (channel >= 1 && channel <= kChannels) dirtyChannels_.set(static_cast<std::size_t>(channel - 1));
        markDirty(0);
    });
    // No data is shown at once: a lost unit must not look alive for a moment.
    connect(&live_, &LiveStatus::blanked, this, [this] {
        dirtyChannels_.set();
        dirty_ |= kValuesDirty | kInputsDirty;
        Flush();
    });
    connect(&session_, &UnitSession::testModeChanged, this, &GeneralPage::ShowTestMode);

    ShowAll();
    ShowTestMode(session_.testMode());
}

GeneralPage* GeneralPage::AddTo(QWidget& sheet, UnitSession& session) {
    auto* layout = new QVBoxLayout(&sheet);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* page = new GeneralPage(session, &sheet);
    layout->addWidget(page);
    return page;
}

ChannelButton* GeneralPage::makeButton(int channel, const QString& objectName) {
    auto* button = new ChannelButton(QStringLiteral("---"), this);
    button->setObjectName(objectName);
    button->setFixedSize(46, kRowHeight);
    button->setEnabled(false); // until manual test
    connect(button, &QPushButton::clicked, this, [this, channel] {
        // The unit's last word, not the drawing, which may lag a redraw tick.
        Q_EMIT switchChannelRequested(channel, live_.channel(channel).buttonText != QLatin1String("On"));
    });
    buttons_[static_cast<std::size_t>(channel - 1)] = button;
    return button;
}

void GeneralPage::addChannelRow(QGridLayout& grid, int row, int channel, const QString& buttonName,
                                bool withState) {
    QWidget* owner = grid.parentWidget();
    const QString nameObject = channel <= kHighPower ? QStringLiteral("LabelHighPowerCh%1").arg(channel)
                                                     : QStringLiteral("LabelLowPowerCh%1").arg(channel);
    QLabel* name = makeNameLabel(nameObject, NumberedName(channel, QString()), nameWidth(*this, 13), owner);
    channelNames_[static_cast<std::size_t>(channel - 1)] = name;

    int column = 0;
    grid.addWidget(name, row, column++, Qt::AlignLeft);
    grid.addWidget(makeButton(channel, buttonName), row, column++);
    if (withState) {
        QLabel* state = makeLamp(QStringLiteral("ch%1State").arg(channel), kStateWidth, owner);
        states_[static_cast<std::size_t>(channel - 1)] = state;
        grid.addWidget(state, row, column++);
    }
    auto* pin = new QLabel(OutputPinCaption(channel), owner);
    pin->setObjectName(QStringLiteral("LabelOutputPin%1").arg(channel));
    QFont small = pin->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    pin->setFont(small);
    grid.addWidget(pin, row, column);
}

QGroupBox* GeneralPage::buildHighPower() {
    auto* group = new QGroupBox(QStringLiteral("High power channels"), this);
    QGridLayout* grid = compactGrid(*group);
    for (int ch = 1; ch <= kHighPower; ++ch)
        addChannelRow(*grid, ch - 1, ch, QStringLiteral("BtnHighPowerCh%1").arg(ch), true);
    return group;
}

QGroupBox* GeneralPage::buildLowPower() {
    auto* group = new QGroupBox(QStringLiteral("Low power channels"), this);
    QGridLayout* grid = compactGrid(*group);
    for (int ch = kHighPower + 1; ch <= kChannels; ++ch)
        addChannelRow(*grid, ch - kHighPower - 1, ch, QStringLiteral("BtnLowPowerCh%1").arg(ch), false);
    return group;
}

QGroupBox* GeneralPage::buildStatus() {
    auto* group = new QGroupBox(QStringLiteral("Status"), this);
    QGridLayout* grid = compactGrid(*group);
    struct Row {
        QLabel** label;
        const char* objectName;
        const char* caption;
    };
    const Row rows[] = {{&lblCurrentSum, "lblCurrentSum", "Total current"},
                        {&lblVbat, "lblVbat", "Battery"},
                        {&lblTemp, "lblTemp", "Temperature"},
                        {&lblErrors, "lblErrors", "Errors"}};
    int r = 0;
    for (const Row& row : rows) {
        grid->addWidget(new QLabel(QLatin1String(row.caption), group), r, 0);
        *row.label = new QLabel(QStringLiteral(" -- "), group);
        (*row.label)->setObjectName(QLatin1String(row.objectName));
        (*row.label)->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        // A fixed size: a new value must not lay out (and so repaint) the page again.
        (*row.label)
            ->setFixedSize(fontMetrics().horizontalAdvance(QStringLiteral("0000.0 A")) + 4,
                           fontMetrics().height());
        // Opaque, so a new value repaints the label alone, not the page beneath it.
        (*row.label)->setAutoFillBackground(true);
        grid->addWidget(*row.label, r++, 1);
    }
    return group;
}

QGroupBox* GeneralPage::buildMode() {
    auto* group = new QGroupBox(QStringLiteral("Mode"), this);
    auto* box = new QVBoxLayout(group);
    box->setContentsMargins(6, 4, 6, 4);
    RadioButtonAuto = new QRadioButton(QStringLiteral("Auto"), group);
    RadioButtonAuto->setObjectName(QStringLiteral("RadioButtonAuto"));
    RadioButtonManuel = new QRadioButton(QStringLiteral("Manuel test"), group);
    RadioButtonManuel->setObjectName(QStringLiteral("RadioButtonManuel"));
    RadioButtonAuto->setChecked(true);
    box->addWidget(RadioButtonAuto);
    box->addWidget(RadioButtonManuel);
    connect(RadioButtonAuto, &QRadioButton::clicked, this, &GeneralPage::RadioButtonAutoClick);
    connect(RadioButtonManuel, &QRadioButton::clicked, this, &GeneralPage::RadioButtonManuelClick);
    return group;
}

QGroupBox* GeneralPage::buildInputs() {
    auto* group = new QGroupBox(QStringLiteral("Inputs"), this);
    QGridLayout* grid = compactGrid(*group);
    for (int i = 1; i <= kInputs; ++i) {
        const auto at = static_cast<std::size_t>(i - 1);
        inputNames_[at] =
            makeNameLabel(QStringLiteral("LabelInputCh%1").arg(i),
                          NumberedName(i, QStringLiteral("CH %1").arg(i)), nameWidth(*this, 12), group);
        inputLamps_[at] = makeLamp(QStringLiteral("LabelInput%1State").arg(i), kLampWidth, group);
        grid->addWidget(inputNames_[at], i - 1, 0, Qt::AlignLeft);
        grid->addWidget(inputLamps_[at], i - 1, 1);
    }
    return group;
}

QGroupBox* GeneralPage::buildCanInputs() {
    constexpr int kColumns = 8;
    auto* group = new QGroupBox(QStringLiteral("CAN Inputs"), this);
    QGridLayout* grid = compactGrid(*group);
    grid->setHorizontalSpacing(3);
    // Eight columns must fit the window: room for the default names only.
    const int canNameWidth = fontMetrics().horizontalAdvance(QStringLiteral("32: CAN 32")) + 4;
    for (int n = 1; n <= kCanInputs; ++n) {
        const auto at = static_cast<std::size_t>(n - 1);
        canNames_[at] = makeNameLabel(QStringLiteral("LabelCanInputCh%1").arg(n),
                                      NumberedName(n, QStringLiteral("CAN %1").arg(n)), canNameWidth, group);
        canLamps_[at] = makeLamp(QStringLiteral("Label_CAN_InputState%1").arg(n), kLampWidth, group);
        // Numbered down the columns, eight columns of four.
        const int row = (n - 1) % 4, column = 2 * ((n - 1) / 4);
        grid->addWidget(canNames_[at], row, column, Qt::AlignLeft);
        grid->addWidget(canLamps_[at], row, column + 1);
    }
    // Space between a lamp and the next column's names.
    for (int c = 0; c + 1 < kColumns; ++c)
        grid->setColumnMinimumWidth(2 * c + 1, kLampWidth + 6);
    return group;
}

void GeneralPage::SetOutputName(int channel, const QString& name) {
    if (channel >= 1 && channel <= kChannels)
        setName(channelNames_[static_cast<std::size_t>(channel - 1)], channel, name);
}

void GeneralPage::SetInputName(int input, const QString& name) {
    if (input >= 1 && input <= kInputs)
        setName(inputNames_[static_cast<std::size_t>(input - 1)], input, name);
}

void GeneralPage::SetCanInputName(int rule, const QString& name) {
    if (rule >= 1 && rule <= kCanInputs) setName(canNames_[static_cast<std::size_t>(rule - 1)], rule, name);
}

ChannelButton* GeneralPage::channelButton(int channel) const {
    return channel >= 1 && channel <= kChannels ? buttons_[static_cast<std::size_t>(channel - 1)] : nullptr;
}

QLabel* GeneralPage::stateLabel(int channel) const {
    return channel >= 1 && channel <= kHighPower ? states_[static_cast<std::size_t>(channel - 1)] : nullptr;
}

void GeneralPage::ShowValues() {
    lblCurrentSum->setText(live_.currentSum());
    lblVbat->setText(live_.batteryVoltage());
    lblTemp->setText(live_.temperature());
    lblErrors->setText(live_.errors());
}

void GeneralPage::ShowInputs() {
    for (int i = 1; i <= kInputs; ++i)
        showLamp(*inputLamps_[static_cast<std::size_t>(i - 1)], live_.input(i));
    for (int n = 1; n <= kCanInputs; ++n)
        showLamp(*canLamps_[static_cast<std::size_t>(n - 1)], live_.canInput(n));
}

void GeneralPage::ShowChannel(int channel) {
    ChannelButton* button = channelButton(channel);
    if (!button) return;
    const ChannelView& view = live_.channel(channel);
    button->setText(view.buttonText);
    button->setColour(view.buttonColour);
    if (QLabel* state = stateLabel(channel)) {
        state->setText(view.stateText);
        SetBackgroundColour(*state, view.stateColour);
    }
}

void GeneralPage::markDirty(unsigned parts) {
    dirty_ |= parts;
    if (redraw_.isActive()) return;
    // Due already: redraw once the batch in hand is taken, in this same wake-up.
    const qint64 since = sinceRedraw_.isValid() ? sinceRedraw_.elapsed() : kRedrawMs;
    redraw_.start(static_cast<int>(std::max<qint64>(0, kRedrawMs - since)));
}

void GeneralPage::Flush() {
    redraw_.stop();
    const unsigned parts = std::exchange(dirty_, 0u);
    const auto channels = std::exchange(dirtyChannels_, {});
    if (parts == 0 && channels.none()) return;
    ++redraws_;
    sinceRedraw_.start();
    if (parts & kValuesDirty) ShowValues();
    if (parts & kInputsDirty) ShowInputs();
    for (int ch = 1; ch <= kChannels; ++ch)
        if (channels.test(static_cast<std::size_t>(ch - 1))) ShowChannel(ch);
}

void GeneralPage::ShowAll() {
    ShowValues();
    ShowInputs();
    for (int ch = 1; ch <= kChannels; ++ch)
        ShowChannel(ch);
}

void GeneralPage::RadioButtonAutoClick() { session_.SetTestMode(TestMode::Auto); }

void GeneralPage::RadioButtonManuelClick() { session_.SetTestMode(TestMode::Manual); }

void GeneralPage::ShowTestMode(TestMode mode) {
    // The calibration mode belongs to its own window; the page keeps its choice.
    if (mode != TestMode::Auto && mode != TestMode::Manual) return;
    const bool manual = mode == TestMode::Manual;
    (manual ? RadioButtonManuel : RadioButtonAuto)->setChecked(true);
    for (ChannelButton* button : buttons_)
        button->setEnabled(manual);
}

} // namespace vm
