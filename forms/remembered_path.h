#pragma once
// The last file a service window worked on, kept in the program's settings
// file under the window's section (key "PATH"); other sections stay as they are.
#include "config/ini_file.h"

#include <QString>

namespace vm {

inline QString ReadRememberedPath(const QString& settingsPath, const QString& section) {
    if (settingsPath.isEmpty()) return {};
    IniFile ini;
    ini.Load(settingsPath);
    return ini.ReadString(section, QStringLiteral("PATH"));
}

inline bool WriteRememberedPath(const QString& settingsPath, const QString& section, const QString& path) {
    if (settingsPath.isEmpty()) return false;
    IniFile ini;
    // An unreadable file is not overwritten with this one key.
    if (!ini.Load(settingsPath)) return false;
    ini.WriteString(section, QStringLiteral("PATH"), path);
    return ini.Save(settingsPath);
}

} // namespace vm
