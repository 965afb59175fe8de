#pragma once
// "XRT Version": shown modally before a configuration Read or Upload. It shows
// the version text the unit reports and closes itself; the main window then
// reads the verdict.
#include "session/service_windows.h"
#include "session/version_check.h"

#include <QDialog>

class QLabel;

namespace vm {

class TVersionForm : public QDialog, public PacketReceiver {
    Q_OBJECT
public:
    explicit TVersionForm(QWidget* parent = nullptr);

    void FormCreate() { check_.FormCreate(); }
    void Timer1Timer() { check_.Timer1Timer(); }
    void Timer2Timer() { check_.Timer2Timer(); }
    void ReceivePacket(const LinkPacket& packet) override { check_.ReceivePacket(packet); }

    VersionCheck& check() { return check_; }
    const VersionCheck& check() const { return check_; }
    VersionCheck::Verdict verdict() const { return check_.verdict(); }
    bool timedOut() const { return check_.timedOut(); }
    bool compatible() const { return check_.compatible(); }

    // The user cannot close it: the check ends by itself within 1.5 s.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    VersionCheck check_;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
};

} // namespace vm
