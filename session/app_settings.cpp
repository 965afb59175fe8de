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
    top = ini.ReadInteger(kForm, QStringLiteral("Top"), top);
    left = ini.ReadInteger(kForm, QStringLiteral("Left"), left);
    width = ini.ReadInteger(kForm, QStringLiteral("Width"), width);
    initMax = ini.ReadBool(kForm, QStringLiteral("InitMax"), initMax);
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
