#pragma once
// "XRT Version": shown modally before a configuration Read or Upload. It shows
// the version text the unit reports and closes itself when the check it shows
// is over; the workflow then reads the verdict.
#include "session/service_windows.h"
#include "session/version_check.h"

#include <QDialog>
#include <memory>

class QLabel;

namespace vm {

class TVersionForm : public QDialog, public PacketReceiver {
    Q_OBJECT
public:
    // Shows a check of its own, started at once.
    explicit TVersionForm(QWidget* parent = nullptr);
    // Shows the given check (the workflow's), started at once.
    explicit TVersionForm(VersionCheck& check, QWidget* parent = nullptr);
    ~TVersionForm() override;

    void FormCreate() { check_.Start(); }
    void Timer1Timer() { check_.OnAnswerTimeout(); }
    void Timer2Timer() { check_.OnCloseDelay(); }
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
    TVersionForm(std::unique_ptr<VersionCheck> owned, QWidget* parent);
    void build();

    std::unique_ptr<VersionCheck> owned_;
    VersionCheck& check_;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
};

} // namespace vm
