#include "link/device_directory.h"

#include <QFileInfo>
#include <QMutexLocker>
#include <QSerialPortInfo>

namespace vm {

namespace {
bool attached(const QString& path) { return QFileInfo::exists(path); }
} // namespace

QStringList SerialPortDirectory::descriptions() const {
    QStringList out;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        if (!info.description().isEmpty()) out << info.description();
    QMutexLocker lock(&mutex_);
    for (const auto& [description, path] : extra_)
        if (!description.isEmpty() && attached(path)) out << description;
    return out;
}

QString SerialPortDirectory::portFor(const QString& description) const {
    if (description.isEmpty()) return {};
    {
        QMutexLocker lock(&mutex_);
        for (const auto& [d, path] : extra_)
            if (d == description) return attached(path) ? path : QString();
    }
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        if (info.description() == description) return info.systemLocation();
    return {};
}

void SerialPortDirectory::addDevice(const QString& description, const QString& path) {
    QMutexLocker lock(&mutex_);
    extra_.append({description, path});
}

QStringList FixedDirectory::descriptions() const {
    QStringList out;
    for (const auto& [description, path] : entries_)
        if (!description.isEmpty() && attached(path)) out << description;
    return out;
}

QString FixedDirectory::portFor(const QString& description) const {
    for (const auto& [d, path] : entries_)
        if (d == description && !description.isEmpty()) return attached(path) ? path : QString();
    return {};
}

} // namespace vm
