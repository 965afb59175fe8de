#pragma once
// The Diagnostic page's logic: asks for the fault counters when the page is
// chosen, keeps what the unit sent in a table, and clears the unit's log.
#include "session/diagnostics_table.h"
#include "session/unit_session.h"

#include <QObject>

namespace vm {

inline constexpr const char* kDiagnosticClearedText = "Diagnostic log cleared";

class DiagnosticsReader : public QObject {
    Q_OBJECT
public:
    explicit DiagnosticsReader(UnitSession& unit, QObject* parent = nullptr);

    const DiagnosticsTable& table() const { return table_; }
    // The page was chosen: DIAG_READ when connected and not busy.
    bool Read();
    enum class ClearResult { NotConnected, Busy, Sent };
    // "Reset log": DIAG_CLEAR when connected and not busy.
    ClearResult Clear();

Q_SIGNALS:
    void highPowerChanged(int rows);
    void lowPowerChanged(int rows);
    // The unit cleared its log (the tables are being read again).
    void cleared();

private:
    UnitSession& unit_;
    DiagnosticsTable table_;
};

} // namespace vm
