#pragma once
// Small file helpers shared by the configuration file tests.
#include <QByteArray>
#include <QFile>
#include <QString>

inline QByteArray ReadBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool WriteBytes(const QString& path, const QByteArray& data) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size();
}

#include "config/config_store.h"

#include <algorithm>

// Every block but the unit name, which no file carries.
inline bool SameBlocks(const vm::ConfigStore& a, const vm::ConfigStore& b) {
    using namespace vm;
    for (int n = 1; n <= kInputCount; ++n)
        if (!(a.input(n) == b.input(n))) return false;
    for (int ch = 1; ch <= kOutputCount; ++ch)
        if (!(a.output(ch) == b.output(ch))) return false;
    for (int n = 1; n <= kCanRuleCount; ++n)
        if (a.canInputName(n) != b.canInputName(n)) return false;
    for (int n = 1; n <= kVirtualInputCount; ++n)
        if (a.virtualInputName(n) != b.virtualInputName(n)) return false;
    for (int e = 1; e <= 4; ++e)
        if (!(a.canExport(e) == b.canExport(e))) return false;
    return a.pwm() == b.pwm() && a.lowBattery() == b.lowBattery() && a.startButton() == b.startButton() &&
           a.canSettings() == b.canSettings() && std::ranges::equal(a.recordTables(), b.recordTables());
}
