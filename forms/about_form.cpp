#include "forms/about_form.h"

#include "session/session_state.h"

#include <QDesktopServices>
#include <QFont>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

namespace vm {

namespace {
constexpr int kWidth = 440;
constexpr int kHeight = 320;
constexpr int kValueX = 150;
} // namespace

TAboutForm::TAboutForm(const UnitStats& stats, QWidget* parent) : QDialog(parent), stats_(stats) {
    setObjectName(QStringLiteral("AboutForm"));
    setWindowTitle(QStringLiteral("About QX2750 Voltmast"));
    setFixedSize(kWidth, kHeight);

    QLabel* title = addLabel("Label1", QStringLiteral("Service and configuration tool"), 16, 12, 400);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    addLabel("Label2", QStringLiteral("For the Voltmast power-distribution unit"), 16, 38, 400);
    addLabel("Label3", QStringLiteral("Service and updates through your Voltmast supplier"), 16, 58, 400);

    addLabel("Label6", QStringLiteral("PC version :"), 16, 90, 130);
    addLabel("VersionLabel", QString::fromLatin1(kPcVersionText), kValueX, 90, 270);
    addLabel("Label7", QStringLiteral("Voltmast version:"), 16, 110, 130);
    LabelXRT_Version = addLabel("LabelXRT_Version", QStringLiteral("---"), kValueX, 110, 270);
    addLabel("CompiledLabel", CreatedText(), 16, 130, 200);
    addLabel("ToolVersionLabel", QStringLiteral("Tool %1").arg(QLatin1String(kToolVersion)), 220, 130, 196);

    WebSite =
        addLabel("WebSite", QStringLiteral("Service information: see the documents supplied with the unit"),
                 16, 156, 400);
    Label9 =
        addLabel("Label9", QStringLiteral("Product support: ask the supplier of your unit"), 16, 176, 400);
    for (QLabel* link : {WebSite, Label9}) {
        link->setCursor(Qt::PointingHandCursor);
        link->installEventFilter(this);
    }

    // The statistics share their rows with the centred OK button, which moves aside on unlock.
    const char* statNames[] = {"LabelPowerUpTime", "LabelMaxTemp", "LabelMaxCurrent", "LabelWatchdogCount"};
    for (std::size_t i = 0; i < statLabels_.size(); ++i) {
        statLabels_[i] = addLabel(statNames[i], QString(), 16, 206 + 20 * static_cast<int>(i), 300);
        statLabels_[i]->hide();
    }
    LabelPowerUpTime = statLabels_[0];
    LabelMaxTemp = statLabels_[1];
    LabelMaxCurrent = statLabels_[2];
    LabelWatchdogCount = statLabels_[3];

    QLabel* superUser =
        addLabel("SuperUserLabel", QStringLiteral("You are authorized as super user."), 16, 290, 300);
    superUser->hide();

    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setGeometry((kWidth - 75) / 2, 240, 75, 25);
    OKBtn->setDefault(true);
    OKBtn->installEventFilter(this);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);

    Timer1SecTick.setObjectName(QStringLiteral("Timer1SecTick"));
    Timer1SecTick.setInterval(kTickMs);
    connect(&Timer1SecTick, &QTimer::timeout, this, &TAboutForm::Timer1SecTickTimer);
}

QLabel* TAboutForm::addLabel(const char* name, const QString& text, int x, int y, int width) {
    auto* label = new QLabel(text, this);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(x, y, width, 18);
    return label;
}

void TAboutForm::FormActivate() {
    Timer1SecTickTimer(); // current at once, not 300 ms later
    Timer1SecTick.start();
}

void TAboutForm::FormClose() { Timer1SecTick.stop(); }

void TAboutForm::FormKeyDown(int key, bool ctrl) {
    if (!unlock_.KeyPressed(key, ctrl)) return;
    Q_EMIT unlocked();
    for (QLabel* label : statLabels_)
        label->show();
    OKBtn->move(width() - (15 + OKBtn->width()), OKBtn->y());
    close();
}

void TAboutForm::Timer1SecTickTimer() {
    LabelXRT_Version->setText(UnitVersionText(stats_));
    // isHidden, not isVisible: the window itself may be hidden.
    if (!LabelPowerUpTime->isHidden()) LabelPowerUpTime->setText(PowerUpTimeText(stats_.secondsSincePowerUp));
    if (!LabelMaxTemp->isHidden()) LabelMaxTemp->setText(MaxTemperatureText(stats_.maxTemperature));
    if (!LabelMaxCurrent->isHidden()) LabelMaxCurrent->setText(MaxCurrentText(stats_.maxCurrentTenths));
    if (!LabelWatchdogCount->isHidden()) LabelWatchdogCount->setText(WatchdogCountText(stats_.watchdogCount));
}

void TAboutForm::WebSiteClick(QLabel* label) {
    const QUrl url = WebAddressOf(label->text());
    if (url.isValid()) QDesktopServices::openUrl(url);
}

bool TAboutForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == OKBtn && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool ctrl = key->modifiers().testFlag(Qt::ControlModifier);
        FormKeyDown(key->key(), ctrl);
        // Ctrl combinations end here; the rest the button handles or passes up
        // to the window, where a second reset does no harm.
        return ctrl;
    }
    if ((watched == WebSite || watched == Label9) && event->type() == QEvent::MouseButtonRelease) {
        WebSiteClick(static_cast<QLabel*>(watched));
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TAboutForm::keyPressEvent(QKeyEvent* event) {
    FormKeyDown(event->key(), event->modifiers().testFlag(Qt::ControlModifier));
    if (isVisible()) QDialog::keyPressEvent(event);
}

void TAboutForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormActivate();
}

void TAboutForm::hideEvent(QHideEvent* event) {
    FormClose();
    QDialog::hideEvent(event);
}

void TAboutForm::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) FormActivate();
    QDialog::changeEvent(event);
}

} // namespace vm
