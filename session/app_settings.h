#pragma once
// The program's own settings file: where the main window stood and the folder
// the configuration file dialogs start in. The file sits beside the
// executable, named after it with ".INI"; where that folder cannot be written
// it lives under the same name in the user's configuration folder.
#include <QString>

namespace vm {

class IniFile;

// Settings file path for an executable. Pure, so the rule can be tested.
QString SettingsFilePath(const QString& exePath, bool exeDirWritable, const QString& userConfigDir);
// The rule applied to the running executable.
QString DefaultSettingsFilePath();

struct AppSettings {
    // Design position and size of the main window.
    static constexpr int kDesignTop = 80;
    static constexpr int kDesignLeft = 120;
    static constexpr int kDesignWidth = 983;
    static constexpr int kDesignHeight = 700;

    AppSettings(QString path, QString startDirectory)
        : path(std::move(path)), configPath(std::move(startDirectory)) {}

    // Reads the file; a missing or unreadable one leaves the defaults.
    void Load();
    // Writes our keys into the file, keeping whatever else it holds (the
    // firmware and FIA windows keep their folders there too).
    bool Save(QString* error = nullptr) const;

    QString path;
    int top = kDesignTop;
    int left = kDesignLeft;
    int width = kDesignWidth;
    bool initMax = false;
    QString configPath;
};

} // namespace vm
