#pragma once
// The main window's caption, rebuilt by the keep-alive tick.
#include <QString>

namespace vm {

inline const QString kProgramTitle = QStringLiteral("Voltmast Tool");

struct WindowTitleInputs {
    bool configFromUnit = false; // the last configuration was read from the unit
    QString unitName;            // text of EditBoxName
    bool configFromFile = false; // a configuration file has been opened
    QString fileName;
    QString currentCaption;
    bool modified = false; // edits neither uploaded nor saved: "*" after the name
};

QString BuildWindowTitle(const WindowTitleInputs& in);

// What marks a modified configuration in the title.
inline const QString kModifiedMark = QStringLiteral("*");

} // namespace vm
