#pragma once
// "About QX2750 Voltmast": the program's identity and the unit's version.
// Ctrl+Q X 2 7 5 0 unlocks the service menu and the unit statistics here,
// for the rest of the run; the window exists as long as the main window.
#include "tools/about/about_logic.h"

#include <QDialog>
#include <QTimer>
#include <array>

class QLabel;
class QPushButton;

namespace vm {

struct UnitStats;

class TAboutForm : public QDialog {
    Q_OBJECT
public:
    static constexpr int kTickMs = 300;

    // Reads the statistics the main window keeps up to date.
    explicit TAboutForm(const UnitStats& stats, QWidget* parent = nullptr);

    void FormActivate();
    void FormClose();
    // A key press on the window or on OKBtn.
    void FormKeyDown(int key, bool ctrl);
    void Timer1SecTickTimer();
    // Opens the caption when it is a web address.
    void WebSiteClick(QLabel* label);

    bool isUnlocked() const { return unlock_.unlocked(); }
    QTimer& tickTimer() { return Timer1SecTick; }

Q_SIGNALS:
    // The sequence was typed: the main window shows its service menu.
    void unlocked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QLabel* addLabel(const char* name, const QString& text, int x, int y, int width);

    const UnitStats& stats_;
    AboutUnlock unlock_;
    QTimer Timer1SecTick;
    QLabel* LabelXRT_Version = nullptr;
    QLabel* WebSite = nullptr;
    QLabel* Label9 = nullptr;
    QLabel* LabelPowerUpTime = nullptr;
    QLabel* LabelMaxTemp = nullptr;
    QLabel* LabelMaxCurrent = nullptr;
    QLabel* LabelWatchdogCount = nullptr;
    std::array<QLabel*, 4> statLabels_{};
    QPushButton* OKBtn = nullptr;
};

} // namespace vm
