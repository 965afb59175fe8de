// The Firmware and FIA windows over their logic: controls and texts, the
// remembered paths in the settings file, and the main paths of each.
#include "config/ini_file.h"
#include "forms/fia_form.h"
#include "forms/firmware_form.h"
#include "forms/service_forms.h"
#include "protocol/message_catalogue.h"
#include "session/unit_session.h"
#include "sim/sim_unit.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <deque>
#include <gtest/gtest.h>

#include "tests/support/hex_text.h"
#include "tests/support/recording_link.h"
#include "tests/support/scripted_prompt.h"

using namespace vm;
using Bytes = std::vector<std::uint8_t>;

namespace {

struct ScriptedRawLink : RawLink {
    bool open = true;
    bool* raw = nullptr;
    std::vector<Bytes>* sent = nullptr;
    bool RouteRaw(bool on) override {
        if (raw) *raw = on;
        return open;
    }
    void SendRaw(const std::uint8_t* b, int n) override {
        if (sent) sent->emplace_back(b, b + n);
    }
};

void Settle() { QCoreApplication::processEvents(); }

QString Text(QWidget& w, const char* name) {
    if (auto* edit = w.findChild<QLineEdit*>(name)) return edit->text();
    if (auto* memo = w.findChild<QPlainTextEdit*>(name)) return memo->toPlainText();
    if (auto* label = w.findChild<QLabel*>(name)) return label->text();
    if (auto* button = w.findChild<QPushButton*>(name)) return button->text();
    return QStringLiteral("<no %1>").arg(QString::fromLatin1(name));
}

} // namespace

TEST(FirmwareForm, ProgramsAFileAndRemembersIt) {
    QTemporaryDir dir;
    const QString settings = dir.filePath("voltmast-tool.INI");
    const QString fw = dir.filePath("fw.hex");
    test::WriteText(fw.toStdString(), test::HexTextOf(Bytes(300, 0x11), 0));
    IniFile ini;
    ini.WriteString("FIRMWARE", "PATH", "old.hex");
    ini.WriteString("Form", "Top", "80");
    ASSERT_TRUE(ini.Save(settings));

    ScriptedPrompt prompt;
    bool raw = false;
    std::vector<Bytes> sent;
    {
        auto link = std::make_unique<ScriptedRawLink>();
        link->open = false;
        link->raw = &raw;
        link->sent = &sent;
        int reboots = 0;
        TFirmware form(std::move(link), prompt, settings, [&] { ++reboots; });
        EXPECT_EQ(form.windowTitle(), "Firmware");
        EXPECT_TRUE(raw);
        EXPECT_EQ(Text(form, "FileEdit"), "old.hex");
        EXPECT_EQ(Text(form, "BtnProgram"), "Program");
        EXPECT_EQ(Text(form, "BtnExit"), "Exit");
        EXPECT_EQ(Text(form, "BtnOpenFile"), "...");
        EXPECT_TRUE(form.findChild<QPlainTextEdit*>("MemoDebug")->isHidden());
        Settle();
        EXPECT_EQ(prompt.messages, QStringList{"! Not connected to target, please connect USB "});

        form.findChild<QLineEdit*>("FileEdit")->clear();
        form.BtnProgramClick();
        EXPECT_EQ(prompt.messages.last(), "! No file selected");

        form.findChild<QLineEdit*>("FileEdit")->setText(dir.filePath("missing.hex"));
        form.BtnProgramClick();
        EXPECT_EQ(prompt.errors.value(0), dir.filePath("missing.hex") + ": Error opening HEX file for input!");

        prompt.files << fw;
        form.BtnOpenFileClick();
        EXPECT_EQ(Text(form, "FileEdit"), fw);
        form.BtnProgramClick();
        EXPECT_EQ(prompt.messages.last(), "Reboot target to start programming");
        form.ReceiveBytes(QByteArray(">T!!!"));
        ASSERT_EQ(sent.size(), 4u); // '<', two blocks, the end
        EXPECT_EQ(sent.back(), Bytes({0xFF, 0xFF}));
        EXPECT_EQ(form.findChild<QProgressBar*>("ProgressBar1")->value(), 0);
        Settle();
        EXPECT_EQ(prompt.messages.last(), "Target updated");

        // With "Reboot target" the tool reboots the unit itself, once armed.
        form.findChild<QCheckBox*>("CheckReboot")->setChecked(true);
        const int messages = static_cast<int>(prompt.messages.size());
        form.BtnProgramClick();
        EXPECT_EQ(reboots, 1);
        EXPECT_EQ(prompt.messages.size(), messages);
        EXPECT_EQ(form.update().state(), FirmwareUpdate::State::WaitingForPrompt);
    }
    EXPECT_FALSE(raw); // the route is back to packets once the window is gone
    IniFile after;
    ASSERT_TRUE(after.Load(settings));
    EXPECT_EQ(after.ReadString("FIRMWARE", "PATH"), fw);
    EXPECT_EQ(after.ReadString("Form", "Top"), "80"); // the rest stays
}

TEST(FiaForm, ComparesAgainstTheSimulatedUnit) {
    QTemporaryDir dir;
    const QString settings = dir.filePath("voltmast-tool.INI");
    sim::SimUnit unit;
    const auto& program = unit.state().firmware.program;
    const QString file = dir.filePath("unit.hex");
    test::WriteText(file.toStdString(), test::HexTextOf(Bytes(program.begin(), program.begin() + 0x4000), 0));

    // Requests reach the unit when the test moves them; answers go to the window.
    struct Loop : FrameSink {
        std::deque<Bytes> pending;
        void Enqueue(const std::uint8_t* f, int n) override { pending.emplace_back(f, f + n); }
    } link;
    ScriptedPrompt prompt;
    {
        TFIA_Form form(link, prompt, settings, [] { return QStringLiteral("8.12"); });
        EXPECT_EQ(form.windowTitle(), "FIA firmware control");
        EXPECT_EQ(Text(form, "LabelProcent"), "0");
        for (const char* name : {"BtnStart", "BtnCancel", "BtnExit", "MemoFile", "MemoTarget", "MemoStatus"})
            EXPECT_FALSE(Text(form, name).startsWith("<no")) << name;

        form.BtnStartClick();
        EXPECT_EQ(prompt.messages, QStringList{" No .hex file selectet"});
        EXPECT_TRUE(link.pending.empty());

        prompt.files << file;
        form.BtnOpenFileClick();
        form.BtnStartClick();
        FrameAssembler back([&](const LinkPacket& p) { form.ReceivePacket(p); });
        while (!link.pending.empty()) {
            const Bytes request = link.pending.front();
            link.pending.pop_front();
            for (const auto& reply : unit.feed(request)) back.PutBytes(reply.data(), static_cast<int>(reply.size()));
        }
        const QStringList status = Text(form, "MemoStatus").split('\n');
        EXPECT_EQ(status.value(3), "With firmware version :8.12");
        EXPECT_EQ(status.value(4), "Voltmast serial no : 00001234");
        EXPECT_EQ(status.value(5), "FIA compare File is identical with firmware");
        EXPECT_EQ(Text(form, "LabelProcent"), "100 % done");
        EXPECT_EQ(form.findChild<QProgressBar*>("ProgressBar")->value(), 100);
        EXPECT_EQ(Text(form, "MemoTarget").count('\n'), 4031);
        Settle();
        EXPECT_EQ(prompt.messages.last(), "FIA compare File is identical with firmware");

        form.BtnCancelClick();
        EXPECT_TRUE(Text(form, "MemoStatus").endsWith("User cancel compare\n" + QString(70, '-')));
    }
    IniFile after;
    ASSERT_TRUE(after.Load(settings));
    EXPECT_EQ(after.ReadString("FIA", "PATH"), file);
}

TEST(ServiceForms, FirmwareAndFiaEntriesHaveTheirWindows) {
    RecordingLink link;
    UnitSession unit(link, nullptr);
    ScriptedPrompt prompt;
    ServiceContext context{unit, prompt, nullptr, QString()};
    for (ServiceTool tool : {ServiceTool::Firmware, ServiceTool::Fia}) {
        const ServiceFormFactory make = ServiceFormOf(tool);
        ASSERT_NE(make, nullptr);
        ServiceWindow window = make(context, nullptr);
        ASSERT_TRUE(window.dialog);
        // The FIA window takes packets; the firmware window takes raw bytes instead.
        EXPECT_EQ(window.receiver != nullptr, tool == ServiceTool::Fia);
    }
}
