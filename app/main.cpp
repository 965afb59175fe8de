// voltmast-tool: start-up of the service and configuration program.
#include "session/app_settings.h"
#include "app/main_window.h"
#include "app/window_lifetime.h"
#include "session/window_title.h"
#include "link/device_directory.h"
#include "forms/log_form.h"
#include "link/traffic_log.h"
#include "link/usb_thread.h"
#include "simport/sim_device.h"
#include "ui/qt_user_prompt.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QEventLoop>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>
#include <exception>
#include <memory>

namespace {

const QString kSimDescription = QString::fromLatin1(vm::sim::kSimDescription);

void ShowException(const QString& text) {
    QMessageBox::critical(nullptr, vm::kProgramTitle, text.isEmpty() ? QStringLiteral("Unknown error") : text);
}

// An exception escaping an event handler is reported, then the program ends.
class ToolApplication : public QApplication {
public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& e) {
            fail(QString::fromLocal8Bit(e.what()));
        } catch (...) {
            fail({});
        }
        return false;
    }

    bool failed() const { return failed_; }

private:
    void fail(const QString& text) {
        if (failed_) return; // already on the way out
        failed_ = true;
        ShowException(text);
        QCoreApplication::exit(1); // leaves every running event loop, modal ones included
    }
    bool failed_ = false;
};

void ShowSplash() {
    QLabel splash(QStringLiteral("Loading..."), nullptr,
                  Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    splash.setAlignment(Qt::AlignCenter);
    splash.setFrameStyle(QFrame::Box | QFrame::Plain);
    QFont font = splash.font();
    font.setPointSize(font.pointSize() * 2);
    splash.setFont(font);
    splash.resize(320, 140);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        splash.move(screen->availableGeometry().center() - splash.rect().center());
    splash.show();
    QEventLoop wait;
    QTimer::singleShot(1500, &wait, &QEventLoop::quit);
    wait.exec();
    splash.hide();
}

int Run(ToolApplication& app) {
    QCommandLineParser parser;
    parser.setApplicationDescription(vm::kProgramTitle);
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption simOption(QStringLiteral("sim"), QStringLiteral("Start a simulated unit and connect to it."));
    const QCommandLineOption portOption(QStringLiteral("port"), QStringLiteral("List a serial device node as a device."),
                                        QStringLiteral("path"));
    const QCommandLineOption noSplashOption(QStringLiteral("no-splash"), QStringLiteral("Start without the splash window."));
    parser.addOptions({simOption, portOption, noSplashOption});
    parser.process(app);

    if (!parser.isSet(noSplashOption)) ShowSplash();

    const QString startDirectory = QDir::currentPath();
    auto directory = std::make_unique<vm::SerialPortDirectory>();
    for (const QString& port : parser.values(portOption)) directory->addPort(port);

    // In this process, so it runs wherever the tool does.
    const bool sim = parser.isSet(simOption);
    if (sim) vm::sim::AddSimDevice(*directory, {}, kSimDescription);

    vm::TrafficLog log;
    vm::QtUserPrompt prompt;
    auto link = std::make_unique<vm::UsbThread>(std::move(directory), &log);
    vm::TLogForm logForm(log);
    vm::TMainForm mainForm(std::move(link), log, prompt,
                           vm::AppSettings(vm::DefaultSettingsFilePath(), startDirectory));
    prompt.setParent(&mainForm);
    mainForm.SetLogWindow(&logForm);
    vm::QuitWhenClosed(mainForm); // an open log window must not keep the program alive

    mainForm.show();
    if (sim) QTimer::singleShot(0, &mainForm, [&mainForm] { mainForm.Connect(kSimDescription); });

    if (app.failed()) return 1; // an event handler failed before the loop ran
    const int status = app.exec();
    return app.failed() ? 1 : status;
}

} // namespace

int main(int argc, char* argv[]) {
    ToolApplication app(argc, argv);
    QApplication::setApplicationName(vm::kProgramTitle);
    QApplication::setApplicationVersion(QStringLiteral(VOLTMAST_VERSION));
    try {
        return Run(app);
    } catch (const std::exception& e) {
        ShowException(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        ShowException({});
    }
    return 1;
}
