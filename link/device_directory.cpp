#include "link/device_directory.h"

#include "link/serial_link_port.h"

#include <QFileInfo>
#include <QMutexLocker>
#include <QSerialPortInfo>

namespace vm {

namespace {
bool attached(const QString& path) { return QFileInfo::exists(path); }
} // namespace

std::unique_ptr<LinkPort> DeviceDirectory::makePort(const QString& description) const {
    const QString path = portFor(description);
    if (path.isEmpty()) return nullptr;
    return std::make_unique<SerialLinkPort>(path);
}

QStringList SerialPortDirectory::descriptions() const {
    QStringList out;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        if (!info.description().isEmpty()) out << info.description();
    QMutexLocker lock(&mutex_);
    for (const Entry& e : extra_)
        if (!e.description.isEmpty() && (e.make || attached(e.path))) out << e.description;
    return out;
}

QString SerialPortDirectory::portFor(const QString& description) const {
    if (description.isEmpty()) return {};
    {
        QMutexLocker lock(&mutex_);
        for (const Entry& e : extra_)
            if (e.description == description) return !e.make && attached(e.path) ? e.path : QString();
    }
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        if (info.description() == description) return info.systemLocation();
    return {};
}

std::unique_ptr<LinkPort> SerialPortDirectory::makePort(const QString& description) const {
    if (description.isEmpty()) return nullptr;
    PortMaker make;
    {
        QMutexLocker lock(&mutex_);
        for (const Entry& e : extra_) {
            if (e.description != description) continue;
            make = e.make;
            break;
        }
    }
    // Made outside the lock: a maker may take a while or look up the directory.
    if (make) return make();
    return DeviceDirectory::makePort(description);
}

void SerialPortDirectory::addDevice(const QString& description, const QString& path) {
    QMutexLocker lock(&mutex_);
    extra_.append({description, path, {}});
}

void SerialPortDirectory::addInProcess(const QString& description, PortMaker make) {
    QMutexLocker lock(&mutex_);
    extra_.append({description, {}, std::move(make)});
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
