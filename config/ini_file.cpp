#include "config/ini_file.h"

// The header-only library is instantiated here and nowhere else.
#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <SimpleIni.h>

#include <QFile>
#include <QSaveFile>

namespace vm {
namespace {

std::string toStd(const QString& s) { return s.toUtf8().toStdString(); }

void configure(CSimpleIniA& ini) {
    ini.SetUnicode(false);
    ini.SetMultiKey(false);
    ini.SetMultiLine(false);
    ini.SetSpaces(false);
}

} // namespace

struct IniFile::Impl {
    CSimpleIniA ini;
};

IniFile::IniFile() : d_(std::make_unique<Impl>()) { configure(d_->ini); }

IniFile::~IniFile() = default;

void IniFile::Clear() { d_->ini.Reset(); }

bool IniFile::Load(const QString& path, QString* error) {
    Clear();
    QFile file(path);
    if (!file.exists()) return true;
    if (!file.open(QIODevice::ReadOnly)) {
        if (error) *error = file.errorString();
        return false;
    }
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        if (error) *error = file.errorString();
        Clear();
        return false;
    }
    if (!LoadFromText(data)) {
        if (error) *error = QStringLiteral("Not an INI file");
        return false;
    }
    return true;
}

bool IniFile::LoadFromText(const QByteArray& text) {
    Clear();
    if (d_->ini.LoadData(text.constData(), static_cast<size_t>(text.size())) < 0) {
        Clear();
        return false;
    }
    return true;
}

QByteArray IniFile::ToText() const {
    std::string out;
    d_->ini.Save(out);
    return QByteArray::fromStdString(out);
}

bool IniFile::Save(const QString& path, QString* error) const {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error) *error = file.errorString();
        return false;
    }
    const QByteArray text = ToText();
    if (file.write(text) != text.size()) {
        if (error) *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        if (error) *error = file.errorString();
        return false;
    }
    return true;
}

QString IniFile::ReadString(const QString& section, const QString& key, const QString& def) const {
    const char* v = d_->ini.GetValue(toStd(section).c_str(), toStd(key).c_str(), nullptr);
    return v ? QString::fromUtf8(v) : def;
}

int IniFile::ReadInteger(const QString& section, const QString& key, int def) const {
    const QString text = ReadString(section, key).trimmed();
    if (text.isEmpty()) return def;
    bool ok = false;
    int value = 0;
    if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        value = text.mid(2).toInt(&ok, 16);
    else if (text.startsWith(QLatin1String("-0x"), Qt::CaseInsensitive))
        value = -text.mid(3).toInt(&ok, 16);
    else
        value = text.toInt(&ok, 10);
    return ok ? value : def;
}

bool IniFile::ReadBool(const QString& section, const QString& key, bool def) const {
    const QString text = ReadString(section, key).trimmed();
    if (text == QLatin1String("1") || text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
        return true;
    if (text == QLatin1String("0") || text.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
        return false;
    return def;
}

void IniFile::WriteString(const QString& section, const QString& key, const QString& value) {
    d_->ini.SetValue(toStd(section).c_str(), toStd(key).c_str(), toStd(value).c_str());
}

void IniFile::WriteInteger(const QString& section, const QString& key, int value) {
    WriteString(section, key, QString::number(value));
}

void IniFile::WriteBool(const QString& section, const QString& key, bool value) {
    WriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

bool IniFile::SectionExists(const QString& section) const {
    return d_->ini.GetSection(toStd(section).c_str()) != nullptr;
}

bool IniFile::ValueExists(const QString& section, const QString& key) const {
    return d_->ini.GetValue(toStd(section).c_str(), toStd(key).c_str(), nullptr) != nullptr;
}

QStringList IniFile::SectionNames() const {
    CSimpleIniA::TNamesDepend names;
    d_->ini.GetAllSections(names);
    names.sort(CSimpleIniA::Entry::LoadOrder());
    QStringList out;
    for (const auto& e : names) out << QString::fromUtf8(e.pItem);
    return out;
}

QStringList IniFile::KeyNames(const QString& section) const {
    CSimpleIniA::TNamesDepend names;
    d_->ini.GetAllKeys(toStd(section).c_str(), names);
    names.sort(CSimpleIniA::Entry::LoadOrder());
    QStringList out;
    for (const auto& e : names) out << QString::fromUtf8(e.pItem);
    return out;
}

void IniFile::EraseSection(const QString& section) { d_->ini.Delete(toStd(section).c_str(), nullptr); }

void IniFile::DeleteKey(const QString& section, const QString& key) {
    d_->ini.Delete(toStd(section).c_str(), toStd(key).c_str());
}

} // namespace vm
