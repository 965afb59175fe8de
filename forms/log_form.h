#pragma once
// The traffic log window: the link's coloured trace lines, kept to the last
// few thousand so that logging stays cheap. Hidden unless asked for.
#include <QMainWindow>

class QAction;
class QPlainTextEdit;

namespace vm {

class TrafficLog;

class TLogForm : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int kMaxLines = 5000;

    explicit TLogForm(TrafficLog& log, QWidget* parent = nullptr);
    ~TLogForm() override;

    // Appends one line in a Windows colour value (0x00BBGGRR).
    void AppendLine(const QString& text, quint32 colour);
    void ClearClick();
    void OfflineClick();

    QPlainTextEdit* richEdit() const { return RichEdit; }
    QAction* offlineAction() const { return MenuOffline; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    TrafficLog& log_;
    QPlainTextEdit* RichEdit = nullptr;
    QAction* MenuClear = nullptr;
    QAction* MenuOffline = nullptr;
};

} // namespace vm
