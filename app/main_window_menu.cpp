// The main menu, the keys the main window takes before its controls, and the
// menu handlers.
#include "app/main_window.h"

#include "session/manual_test.h"
#include "session/user_prompt.h"
#include "forms/usb_select_form.h"
#include "tools/service_tools.h"
#include "ui/activity_lamps.h"
#include "forms/about_form.h"

#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>

namespace vm {
namespace {

struct MenuDef {
    const char* objectName;
    const char* caption;
};

struct EntryDef {
    int menu; // index into kMenus
    const char* objectName;
    const char* caption;
    const char* hint;
    void (TMainForm::*handler)();
};

constexpr int kSvcMenu = 3;

constexpr MenuDef kMenus[] = {
    {"MenuFile", "&File"},
    {"MenuConnection", "&Connection"},
    {"MenuTools", "Tools"},
    {"MenuSvc", "Svc"},
    {"MenuHelp", "&Help"},
};

// Captions as the users know them, odd spacing included.
const EntryDef kEntries[] = {
    {0, "MenuOpen", "&Open", nullptr, &TMainForm::MenuOpenClick},
    {0, "MenuSave", "Save", nullptr, &TMainForm::MenuSaveClick},
    {0, "MenuRead", "Read               F8", "Read data from Voltmast", &TMainForm::BtnLoadClick},
    {0, "MenuUpload", "Upload            F9", "Upload data to Voltmast", &TMainForm::BtnSaveClick},
    {0, "MenuDefault", "Default settings", nullptr, &TMainForm::BtnDefaultValueClick},
    {0, "MenuCompare", "Compare with unit...", "Read the unit and list how it differs from a file",
     &TMainForm::MenuCompareClick},
    {0, "MenuExportDbc", "Export CAN database...", "Write the CAN export messages as a DBC file",
     &TMainForm::MenuExportDbcClick},
    {0, "MenuExit", "&Exit", nullptr, &TMainForm::MenuExitClick},
    {1, "MenuUSB", "&USB", nullptr, &TMainForm::MenuUSBClick},
    {4, "MenuAbout", "&About..", nullptr, &TMainForm::MenuAboutClick},
};
constexpr int kToolsMenu = 2;

} // namespace

void TMainForm::CreateMenu() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    QMenu* menus[std::size(kMenus)] = {};
    for (std::size_t i = 0; i < std::size(kMenus); ++i) {
        menus[i] = bar->addMenu(QString::fromLatin1(kMenus[i].caption));
        menus[i]->setObjectName(QString::fromLatin1(kMenus[i].objectName));
    }
    for (const EntryDef& entry : kEntries) {
        QAction* action = menus[entry.menu]->addAction(QString::fromLatin1(entry.caption));
        action->setObjectName(QString::fromLatin1(entry.objectName));
        if (entry.hint) action->setStatusTip(QString::fromLatin1(entry.hint));
        connect(action, &QAction::triggered, this, entry.handler);
    }
    for (const ServiceToolInfo& tool : ServiceTools()) {
        QMenu* menu = menus[tool.menu == ServiceMenu::Tools ? kToolsMenu : kSvcMenu];
        QAction* action = menu->addAction(QString::fromLatin1(tool.caption));
        action->setObjectName(QString::fromLatin1(tool.objectName));
        const ServiceTool id = tool.tool;
        connect(action, &QAction::triggered, this, [this, id] { RunServiceTool(id); });
    }
    QAction* plot = menus[kToolsMenu]->addAction(QStringLiteral("Live plot..."));
    plot->setObjectName(QStringLiteral("MenuLivePlot"));
    connect(plot, &QAction::triggered, this, &TMainForm::MenuLivePlotClick);
    bar->setCornerWidget(Lamps, Qt::TopRightCorner);
    MenuSvc = menus[kSvcMenu];
    MenuSvc->menuAction()->setVisible(false); // unlocked from the About window
}

void TMainForm::CreateKeys() {
    // Window-wide shortcuts reach the main window before any focused control.
    auto bind = [this](const QKeySequence& keys, void (TMainForm::*handler)()) {
        auto* shortcut = new QShortcut(keys, this);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, handler);
    };
    bind(QKeySequence(Qt::Key_F8), &TMainForm::BtnLoadClick);
    bind(QKeySequence(Qt::Key_F9), &TMainForm::BtnSaveClick);
    bind(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_L), &TMainForm::ShowLogWindow);
}

// The keypad '/' of manual test. It reaches the window only when the focused
// control did not take it; a text control never gives it away.
void TMainForm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Slash && (event->modifiers() & Qt::KeypadModifier) &&
        KeypadToggle(QApplication::focusWidget())) {
        event->accept();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

bool TMainForm::KeypadToggle(QWidget* focus) {
    if (qobject_cast<QLineEdit*>(focus) || qobject_cast<QPlainTextEdit*>(focus) || qobject_cast<QTextEdit*>(focus) ||
        qobject_cast<QAbstractSpinBox*>(focus))
        return false;
    if (auto* combo = qobject_cast<QComboBox*>(focus); combo && combo->isEditable()) return false;
    manualTest_->ToggleAll();
    return true;
}

void TMainForm::ShowServiceMenu() { MenuSvc->menuAction()->setVisible(true); }

void TMainForm::ShowLogWindow() {
    if (!logWindow_) return;
    logWindow_->show();
    logWindow_->raise();
    logWindow_->activateWindow();
}

void TMainForm::MenuExitClick() { close(); }

void TMainForm::MenuUSBClick() {
    TUSB_SelectForm form(UsbSelectLink::Over(*link_, [this](const QString& d) { Connect(d); }), this);
    form.exec();
}

void TMainForm::MenuAboutClick() {
    AboutForm->move(geometry().center() - AboutForm->rect().center());
    AboutForm->exec();
}

// Windows and commands that arrive with their own parts of the program.

} // namespace vm
