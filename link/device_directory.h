#pragma once
// Which adapters are attached, by their USB description, and which port each
// one is. The link thread asks this both to list devices and to reopen a lost
// device by its description.
#include <QList>
#include <QMutex>
#include <QPair>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

namespace vm {

class LinkPort;

// Makes a closed port; called on the link's worker thread, where the port lives.
using PortMaker = std::function<std::unique_ptr<LinkPort>()>;

class DeviceDirectory {
public:
    virtual ~DeviceDirectory() = default;
    // Descriptions of the attached devices, in enumeration order, none empty.
    virtual QStringList descriptions() const = 0;
    // The device node for a description; empty when no such node is attached.
    virtual QString portFor(const QString& description) const = 0;
    // A closed port for the description, or null when it is not attached.
    // Unless a directory knows better, a serial port on portFor()'s node.
    virtual std::unique_ptr<LinkPort> makePort(const QString& description) const;
};

// Serial adapters as the system lists them (empty descriptions left out), plus
// device nodes added by hand, listed under their path or a given description,
// and in-process devices. Safe to call from any thread.
class SerialPortDirectory : public DeviceDirectory {
public:
    QStringList descriptions() const override;
    QString portFor(const QString& description) const override;
    std::unique_ptr<LinkPort> makePort(const QString& description) const override;

    void addPort(const QString& path) { addDevice(path, path); }
    void addDevice(const QString& description, const QString& path);
    // A device in this process: always attached, each open gets a port from make.
    void addInProcess(const QString& description, PortMaker make);

private:
    struct Entry {
        QString description;
        QString path;   // empty for an in-process device
        PortMaker make; // set for an in-process device
    };
    mutable QMutex mutex_;
    QList<Entry> extra_;
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
