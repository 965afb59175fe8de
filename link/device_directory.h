#pragma once
// Which adapters are attached, by their USB description, and which port each
// one is. The link thread asks this both to list devices and to reopen a lost
// device by its description.
#include <QList>
#include <QMutex>
#include <QPair>
#include <QString>
#include <QStringList>

namespace vm {

class DeviceDirectory {
public:
    virtual ~DeviceDirectory() = default;
    // Descriptions of the attached devices, in enumeration order, none empty.
    virtual QStringList descriptions() const = 0;
    // The port to open for a description; empty when no such device is attached.
    virtual QString portFor(const QString& description) const = 0;
};

// Serial adapters as the system lists them (empty descriptions left out), plus
// device nodes added by hand, listed under their path or a given description.
// Safe to call from any thread.
class SerialPortDirectory : public DeviceDirectory {
public:
    QStringList descriptions() const override;
    QString portFor(const QString& description) const override;

    void addPort(const QString& path) { addDevice(path, path); }
    void addDevice(const QString& description, const QString& path);

private:
    mutable QMutex mutex_;
    QList<QPair<QString, QString>> extra_; // description -> path
};

// A fixed list, for tests: {"Test Adapter" -> "/dev/pts/7"}. An entry counts as
// attached while its path exists.
class FixedDirectory : public DeviceDirectory {
public:
    FixedDirectory() = default;
    explicit FixedDirectory(QList<QPair<QString, QString>> entries) : entries_(std::move(entries)) {}
    QStringList descriptions() const override;
    QString portFor(const QString& description) const override;

private:
    QList<QPair<QString, QString>> entries_;
};

} // namespace vm
