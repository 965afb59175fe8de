#include "session/app_settings.h"

#include "config/ini_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace vm {
namespace {

const QString kForm = QStringLiteral("Form");
const QString kConfig = QStringLiteral("CONFIG");

// Window coordinates any desktop can have; beyond them the value is junk and
// the default stays (so junk is not saved back either).
constexpr int kMaxCoordinate = 32767;
constexpr int kMinWidth = 100;
constexpr int kMaxWidth = 16384;

int ReadBounded(const IniFile& ini, const QString& key, int def, int min, int max) {
    const int value = ini.ReadInteger(kForm, key, def);
    return value >= min && value <= max ? value : def;
}

} // namespace

QString SettingsFilePath(const QString& exePath, bool exeDirWritable, const QString& userConfigDir) {
    const QFileInfo exe(exePath);
    QString name = exe.fileName();
    if (name.endsWith(QLatin1String(".exe"), Qt::CaseInsensitive)) name.chop(4);
    name += QLatin1String(".INI");
    const QString dir = exeDirWritable ? exe.path() : userConfigDir;
    return QDir(dir).filePath(name);
}

QString DefaultSettingsFilePath() {
    const QString exe = QCoreApplication::applicationFilePath();
    const bool writable = QFileInfo(QFileInfo(exe).path()).isWritable();
    return SettingsFilePath(exe, writable,
                            QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
}

void AppSettings::Load() {
    IniFile ini;
    if (!ini.Load(path)) return;
    top = ReadBounded(ini, QStringLiteral("Top"), top, -kMaxCoordinate, kMaxCoordinate);
    left = ReadBounded(ini, QStringLiteral("Left"), left, -kMaxCoordinate, kMaxCoordinate);
    width = ReadBounded(ini, QStringLiteral("Width"), width, kMinWidth, kMaxWidth);
    // Any whole number but 0 is true, as in the configuration files.
    const QString maximized = ini.ReadString(kForm, QStringLiteral("InitMax")).trimmed();
    bool isNumber = false;
    const qlonglong number = maximized.toLongLong(&isNumber);
    initMax = isNumber ? number != 0 : ini.ReadBool(kForm, QStringLiteral("InitMax"), initMax);
    configPath = ini.ReadString(kConfig, QStringLiteral("PATH"), configPath);
}

bool AppSettings::Save(QString* error) const {
    IniFile ini;
    ini.Load(path); // an unreadable file is simply replaced
    ini.WriteInteger(kForm, QStringLiteral("Top"), top);
    ini.WriteInteger(kForm, QStringLiteral("Left"), left);
    ini.WriteInteger(kForm, QStringLiteral("Width"), width);
    ini.WriteBool(kForm, QStringLiteral("InitMax"), initMax);
    ini.WriteString(kConfig, QStringLiteral("PATH"), configPath);
    QDir().mkpath(QFileInfo(path).path());
    return ini.Save(path, error);
}

} // namespace vm
