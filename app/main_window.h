#pragma once
// The main window: notebook of configuration and status pages, main menu,
// status bar, the timers that keep the unit talking, and the owner of the
// link, the frame assembler and the service windows while they are open.
#include "session/app_settings.h"
#include "session/config_workflow.h"
#include "tools/service_tools.h"
#include "session/service_windows.h"
#include "session/session_state.h"
#include "session/unit_session.h"
#include "config/config_store.h"
#include "protocol/frame_codec.h"

#include <QDialog>
#include <QMainWindow>
#include <QTimer>
#include <memory>
#include <optional>
#include <type_traits>

class QLabel;
class QMenu;
class QTabWidget;

namespace vm {

class ActivityLamps;
class CanMonitorBox;
class CanMonitorControl;
class DiagnosticPage;
class ManualTest;
class EditorPages;
class EditTracker;
class ModalWait;
class GeneralPage;
class TAboutForm;
class TrafficLog;
class TUpdateForm;
class UsbThread;
class UserPrompt;

class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    using ServiceExtra = vm::ServiceExtra;

    TMainForm(std::unique_ptr<UsbThread> link, TrafficLog& log, UserPrompt& prompt, AppSettings settings,
              QWidget* parent = nullptr);
    ~TMainForm() override;

    // Link (main_window_link.cpp).
    void Connect(const QString& description);
    void OnDeviceLost();
    void OnDeviceReopened();
    void ReceiveBytes(const QByteArray& bytes);
    void Dispatch(const LinkPacket& packet);

    // Menu and keys (main_window_menu.cpp).
    void MenuOpenClick();
    void MenuSaveClick();
    void BtnLoadClick();         // Read, F8
    void BtnSaveClick();         // Upload, F9
    void BtnDefaultValueClick(); // Default settings
    // The chains behind Read and Upload, once the version gate has passed.
    void ReadConfiguration();
    void UploadConfiguration();
    void MenuExitClick();
    void MenuUSBClick();
    // A service tool's window, run as below; Rejected when it has none yet.
    int RunServiceTool(ServiceTool tool);
    void MenuFirmwareClick();
    void MenuFIAClick();
    void MenuSystemSetupClick();
    void MenuCalibrationClick();
    void MenuPingTestClick();
    void MenuRuntimeErrorClick();
    void MenuEepromClick();
    void MenuAboutClick();
    // Field kit (main_window_field.cpp).
    void MenuCompareClick();
    void MenuExportDbcClick();
    void MenuLivePlotClick();
    // Reads the unit and lists how it differs from the file's configuration.
    void CompareWithUnit(const QString& path);
    QDialog* compareWindow() const { return compareForm_; }
    QDialog* livePlotWindow() const { return livePlot_; }
    void ShowServiceMenu();
    void ShowLogWindow();
    // The traffic log window, shown by Ctrl+Shift+L; owned elsewhere.
    void SetLogWindow(QWidget* window) { logWindow_ = window; }

    // Timers.
    void Timer1Timer();       // live poll, 150 ms
    void TimerVersionTimer(); // keep-alive, 400 ms
    void TimerSerialTimer();  // read after connect, 400 ms once
    QTimer& timer1() { return Timer1; }
    QTimer& timerVersion() { return TimerVersion; }
    QTimer& timerSerial() { return TimerSerial; }

    // Wait window.
    TUpdateForm& waitWindow() { return *UpdateForm; }
    void CloseWaitWindow();
    void CancelTransfer();

    // Runs a service window modally: published to the dispatcher while it is
    // shown (when it has a slot and receives packets), with the extra steps
    // the firmware and FIA windows need. Returns the dialog's result.
    int RunServiceWindow(QDialog& dialog, PacketReceiver* receiver, std::optional<ServiceSlot> slot,
                         ServiceExtra extra = ServiceExtra::None);
    // Creates the window, runs it as above and destroys it.
    template <class Form, class... Args>
    int ShowServiceWindow(std::optional<ServiceSlot> slot, ServiceExtra extra, Args&&... args) {
        auto form = std::make_unique<Form>(std::forward<Args>(args)...);
        PacketReceiver* receiver = nullptr;
        if constexpr (std::is_base_of_v<PacketReceiver, Form>) receiver = form.get();
        return RunServiceWindow(*form, receiver, slot, extra);
    }

    UnitSession& unit() { return unit_; }
    ConfigStore& store() { return store_; }
    ConfigTransfer& transfer() { return workflow_->transfer(); }
    ConfigWorkflow& workflow() { return *workflow_; }
    const SessionState& session() const { return unit_.state(); }
    ServiceWindows& services() { return unit_.services(); }
    UsbThread& link() { return *link_; }
    TrafficLog& trafficLog() { return log_; }
    UserPrompt& prompt() { return prompt_; }
    const AppSettings& settings() const { return settings_; }
    QString configDirectory() const { return settings_.configPath; }
    void setConfigDirectory(const QString& dir) { settings_.configPath = dir; }
    int currentPage() const { return currentPage_; }
    GeneralPage& generalPage() { return *General; }
    DiagnosticPage& diagnosticPage() { return *Diagnostic; }
    CanMonitorBox& canMonitorBox() { return *CanMonitor; }
    ManualTest& manualTest() { return *manualTest_; }
    CanMonitorControl& canMonitor() { return *monitor_; }
    // The configuration pages and their shared name lists.
    EditorPages& editorPages() { return *editorPages_; }
    // Edits neither uploaded nor saved: MarkClean after a read, an opened
    // file, a save and a completed upload.
    EditTracker& edits() { return *edits_; }
    QString StatusText(int panel) const;
    void RebuildTitle();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Construction (main_window.cpp).
    void CreatePages();
    void CreateMenu();
    void CreateStatusBar();
    void CreateKeys();
    void CreateTimers();
    void ConnectLink();
    void RestorePlacement();
    void StorePlacement();
    void PageControl1Change(int index);
    // Read, Upload and Default settings start once the CAN monitor is off.
    void AfterMonitorOff(bool (ConfigWorkflow::*command)());
    // The keypad toggle of manual test, unless a text edit has the key.
    bool KeypadToggle(QWidget* focus);

    void SetStatusText(int panel, const QString& text);
    // Blanks the live status display (no data from the unit).
    void ResetLiveDisplay();
    QString UnitNameText() const;

    std::unique_ptr<UsbThread> link_;
    TrafficLog& log_;
    UserPrompt& prompt_;
    AppSettings settings_;
    UnitSession unit_;
    ConfigStore store_;
    std::unique_ptr<ModalWait> wait_;
    std::unique_ptr<ConfigWorkflow> workflow_;
    std::unique_ptr<EditTracker> edits_;
    std::unique_ptr<EditorPages> editorPages_;
    std::unique_ptr<ManualTest> manualTest_;
    std::unique_ptr<CanMonitorControl> monitor_;

    QTabWidget* PageControl1 = nullptr;
    QMenu* MenuSvc = nullptr;
    QLabel* statusPanels_[2] = {};
    TUpdateForm* UpdateForm = nullptr;
    TAboutForm* AboutForm = nullptr;
    GeneralPage* General = nullptr;
    DiagnosticPage* Diagnostic = nullptr;
    CanMonitorBox* CanMonitor = nullptr;
    ActivityLamps* Lamps = nullptr;
    QWidget* logWindow_ = nullptr;
    QDialog* compareForm_ = nullptr;
    QDialog* livePlot_ = nullptr;
    QTimer Timer1;
    QTimer TimerVersion;
    QTimer TimerSerial;
    int currentPage_ = kPageGeneral;
};

} // namespace vm
