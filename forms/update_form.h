#pragma once
// The modal wait window shown while the configuration moves to or from the
// unit. Its bar only shows that something is happening; its timer bounds the
// transfer to about 30 s.
#include "session/wait_clock.h"

#include <QDialog>
#include <QTimer>

class QLabel;
class QProgressBar;
class QPushButton;

namespace vm {

class UserPrompt;

class TUpdateForm : public QDialog {
    Q_OBJECT
public:
    static constexpr int kTickMs = WaitClock::kTickMs;
    static constexpr int kMaxTicks = WaitClock::kMaxTicks;

    explicit TUpdateForm(UserPrompt& prompt, QWidget* parent = nullptr);

    // Resets progress and tick count and starts the timer (on every show).
    void FormActivate();
    void Timer1Timer();
    // Stops the timer and closes the window.
    void CloseWaitWindow();
    // Escape and the window's close button are "Cancel" too.
    void reject() override;

    int ticks() const { return clock_.ticks(); }
    int progress() const;
    QTimer& timer() { return Timer1; }

Q_SIGNALS:
    // "Cancel" was pressed; the main window cancels the transfer.
    void cancelRequested();

protected:
    void showEvent(QShowEvent* event) override;

private:
    UserPrompt& prompt_;
    QTimer Timer1;
    QLabel* Label1 = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QPushButton* BtnCancel = nullptr;
    WaitClock clock_;
    bool closingItself_ = false; // closed by the program, not by the user
};

} // namespace vm
