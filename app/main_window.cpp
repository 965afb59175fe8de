// Construction, placement and closing of the main window.
#include "app/main_window.h"

#include "forms/modal_wait.h"
#include "forms/update_form.h"
#include "session/edit_tracker.h"
#include "session/user_prompt.h"
#include "session/window_title.h"
#include "link/traffic_log.h"
#include "link/usb_thread.h"
#include "pages/editor_pages.h"
#include "pages/can_inputs_page.h"
#include "pages/can_monitor_box.h"
#include "pages/diagnostic_page.h"
#include "pages/general_page.h"
#include "session/can_monitor_control.h"
#include "session/manual_test.h"
#include "pages/main_pages.h"
#include "forms/about_form.h"
#include "ui/activity_lamps.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QStatusBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace vm {

namespace {
constexpr int kExitFlushMs = 200;
}

TMainForm::TMainForm(std::unique_ptr<UsbThread> link, TrafficLog& log, UserPrompt& prompt,
                     AppSettings settings, QWidget* parent)
    : QMainWindow(parent),
      link_(std::move(link)),
      log_(log),
      prompt_(prompt),
      settings_(std::move(settings)),
      unit_(*link_, &log_) {
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(kProgramTitle);

    CreatePages();
    CreateMenu();
    CreateStatusBar();
    CreateKeys();

    settings_.Load();
    RestorePlacement();

    UpdateForm = new TUpdateForm(prompt_, this);
    wait_ = std::make_unique<ModalWait>(*UpdateForm, this);
    workflow_ = std::make_unique<ConfigWorkflow>(unit_, store_, prompt_, *wait_);
    workflow_->SetEditTracker(edits_.get()); // read, open, save and upload are clean points
    connect(UpdateForm, &TUpdateForm::cancelRequested, this, &TMainForm::CancelTransfer);
    AboutForm = new TAboutForm(unit_.stats(), this);
    connect(AboutForm, &TAboutForm::unlocked, this, &TMainForm::ShowServiceMenu);

    ConnectLink();
    CreateTimers();
}

TMainForm::~TMainForm() {
    Timer1.stop();
    TimerVersion.stop();
    TimerSerial.stop();
    // The link goes first: no bytes may arrive at a half-destroyed window.
    if (link_) {
        link_->WaitForQueuedFrames(kExitFlushMs); // the monitor's off flag reaches the unit
        disconnect(link_.get(), nullptr, this, nullptr);
        link_.reset();
    }
}

void TMainForm::CreatePages() {
    manualTest_ = std::make_unique<ManualTest>(unit_);
    monitor_ = std::make_unique<CanMonitorControl>(unit_);
    edits_ = std::make_unique<EditTracker>();
    connect(edits_.get(), &EditTracker::modifiedChanged, this, &TMainForm::RebuildTitle);
    editorPages_ = std::make_unique<EditorPages>(store_, unit_);
    connect(editorPages_.get(), &EditorPages::edited, edits_.get(), &EditTracker::MarkModified);
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    AddMainPages(*PageControl1, [this](std::size_t index, QWidget& sheet) {
        if (index == kPageGeneral) General = GeneralPage::AddTo(sheet, unit_);
        else if (index == kPageDiagnostic) Diagnostic = DiagnosticPage::AddTo(sheet, unit_, store_, prompt_);
        else editorPages_->AddTo(index, sheet);
    });
    connect(General, &GeneralPage::switchChannelRequested, manualTest_.get(), &ManualTest::SwitchChannel);
    if (auto* canInputs = qobject_cast<CanInputsPage*>(editorPages_->page(kPageCanInputs))) {
        auto* place = new QVBoxLayout(canInputs->monitorPlace());
        place->setContentsMargins(0, 0, 0, 0);
        CanMonitor = new CanMonitorBox(*monitor_, unit_.canMonitor(), canInputs->monitorPlace());
        place->addWidget(CanMonitor);
    }
    connect(&unit_, &UnitSession::refreshNameLists, editorPages_.get(), &EditorPages::RefreshNameLists);
    // Limits of the check lists are said in the status bar, never in a box.
    connect(editorPages_.get(), &EditorPages::statusMessage, this,
            [this](const QString& text) { statusBar()->showMessage(text, 5000); });
    connect(editorPages_.get(), &EditorPages::readRequested, this, &TMainForm::BtnLoadClick);
    connect(editorPages_.get(), &EditorPages::uploadRequested, this, &TMainForm::BtnSaveClick);
    connect(editorPages_.get(), &EditorPages::defaultRequested, this, &TMainForm::BtnDefaultValueClick);
    // In the menu bar's corner: in the tab strip they would push the last
    // tabs out of view at the design width.
    Lamps = new ActivityLamps;
    connect(&unit_, &UnitSession::activityChanged, Lamps, &ActivityLamps::setLitLamp);
    setCentralWidget(PageControl1);
    connect(PageControl1, &QTabWidget::currentChanged, this, &TMainForm::PageControl1Change);
    currentPage_ = PageControl1->currentIndex();
}

// Live polling only while "General" is shown.
void TMainForm::PageControl1Change(int index) {
    currentPage_ = index;
    unit_.setCurrentPage(index);
    if (unit_.pollsNow()) Timer1.start();
    else Timer1.stop();
    if (index == kPageDiagnostic) Diagnostic->PageShown();
}

void TMainForm::CreateStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    const int widths[2] = {200, 50};
    for (int i = 0; i < 2; ++i) {
        auto* panel = new QLabel(bar);
        panel->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        panel->setFixedWidth(widths[i]);
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        bar->addWidget(panel);
        statusPanels_[i] = panel;
    }
}

QString TMainForm::StatusText(int panel) const {
    return (panel >= 0 && panel < 2) ? statusPanels_[panel]->text() : QString();
}

void TMainForm::SetStatusText(int panel, const QString& text) {
    if (panel >= 0 && panel < 2) statusPanels_[panel]->setText(text);
}

void TMainForm::CreateTimers() {
    Timer1.setObjectName(QStringLiteral("Timer1"));
    Timer1.setInterval(150);
    connect(&Timer1, &QTimer::timeout, this, &TMainForm::Timer1Timer);

    TimerVersion.setObjectName(QStringLiteral("TimerVersion"));
    TimerVersion.setInterval(400);
    connect(&TimerVersion, &QTimer::timeout, this, &TMainForm::TimerVersionTimer);

    TimerSerial.setObjectName(QStringLiteral("TimerSerial"));
    TimerSerial.setInterval(400);
    TimerSerial.setSingleShot(true);
    connect(&TimerSerial, &QTimer::timeout, this, &TMainForm::TimerSerialTimer);

    // Nothing is sent before a unit is connected, so both may run from the start.
    Timer1.start();
    TimerVersion.start();
}

void TMainForm::RestorePlacement() {
    QPoint topLeft(settings_.left, settings_.top);
    // A position left on a screen that is gone would hide the window.
    if (!QGuiApplication::screenAt(topLeft + QPoint(40, 10)))
        topLeft = QPoint(AppSettings::kDesignLeft, AppSettings::kDesignTop);
    resize(settings_.width > 100 ? settings_.width : AppSettings::kDesignWidth, AppSettings::kDesignHeight);
    move(topLeft);
    if (settings_.initMax) setWindowState(windowState() | Qt::WindowMaximized);
}

void TMainForm::StorePlacement() {
    settings_.initMax = isMaximized();
    if (!settings_.initMax) {
        settings_.left = x();
        settings_.top = y();
        settings_.width = width();
        return;
    }
    // Maximized: keep the place it returns to. normalGeometry() is the client
    // area, the stored position that of the frame.
    const QRect normal = normalGeometry();
    if (!normal.isValid()) return;
    const QPoint frameOffset = geometry().topLeft() - pos();
    settings_.left = normal.x() - frameOffset.x();
    settings_.top = normal.y() - frameOffset.y();
    settings_.width = normal.width();
}

void TMainForm::closeEvent(QCloseEvent* event) {
    if (edits_->modified() && !prompt_.Confirm(kUnsavedCloseQuestion)) {
        event->ignore();
        return;
    }
    StorePlacement();
    QString error;
    if (!settings_.Save(&error))
        prompt_.ShowMessage(QStringLiteral("Cannot save the settings file %1: %2").arg(settings_.path, error));
    Timer1.stop();
    monitor_->SwitchOffNow(); // the unit would stream on to nobody
    event->accept();
}

void TMainForm::RebuildTitle() {
    WindowTitleInputs in;
    in.configFromUnit = unit_.state().configFromUnit != 0;
    in.unitName = UnitNameText();
    in.configFromFile = unit_.state().configFromFile != 0;
    in.fileName = unit_.state().configFileName;
    in.currentCaption = windowTitle();
    in.modified = edits_ && edits_->modified();
    const QString title = BuildWindowTitle(in);
    if (title != windowTitle()) setWindowTitle(title);
}

QString TMainForm::UnitNameText() const { return store_.boxName(); }

void TMainForm::CloseWaitWindow() { UpdateForm->CloseWaitWindow(); }

void TMainForm::CancelTransfer() {
    workflow_->CancelTransfer();
    CloseWaitWindow(); // also when no wait runs
}

} // namespace vm
