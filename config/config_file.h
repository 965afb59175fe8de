#pragma once
// The configuration file (.cfg): an INI text with one section per block, in
// device units, written in the Windows code page 1252 (older files in UTF-8
// are read too). Saving always starts from an empty file, so sections and
// keys come out in a fixed order that other tools and older files rely on.
//
// Reading is all or nothing: the whole text is checked into a scratch store
// and copied into the caller's store only when every value is accepted, so a
// refused file leaves the store as it was. Keys the file lacks keep their
// defaults (files from older versions rely on it) and are listed.
#include "config/config_store.h"

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <optional>

namespace vm {

// Larger files are no configuration: a saved one has some 22 KB.
constexpr qint64 kMaxConfigFileBytes = 1 << 20;

struct ConfigFileReport {
    bool ok = false;
    // Why the file was refused, naming it and, where there is one, the line:
    // "unit.cfg:12: MAX_CURRENT3: \"12.5.3\" is not a number". Empty when ok.
    QString error;
    // Keys the accepted file lacks, once each, as "[OUTPUT] PEAK_TIME3";
    // their values are the defaults.
    QStringList missingKeys;
    int exitCode = 2; // 0 accepted, 2 refused
};

// Replaces every block but the unit name with the text's content when the
// whole text is accepted; otherwise changes nothing. displayName stands for
// the text in messages.
ConfigFileReport ParseConfigText(ConfigStore& into, QByteArrayView bytes, const QString& displayName);

// Reads the file at path (exactly that path) whole, at most
// kMaxConfigFileBytes, and parses it. A file that cannot be read is refused:
// "no such file", "permission denied", "is a directory", "not a regular file".
ConfigFileReport ReadConfigFile(ConfigStore& into, const QString& path);

// The path with its extension replaced by ".cfg" (added when it has none).
QString ForceCfgExtension(const QString& path);

// ReadConfigFile(store, ForceCfgExtension(path)).ok, for callers that show no
// message.
bool LoadConfigFile(ConfigStore& store, const QString& path);

// The whole configuration as the file's bytes. Fails, with the message for
// the user in *error, when a value cannot be written (a CAN export text that
// is no number, a value beyond its field, a character outside the code page).
bool SaveConfigText(const ConfigStore& store, QByteArray* out, QString* error = nullptr);

// Writes SaveConfigText's bytes; nothing is written unless every value
// converts, and an existing file is replaced only by a complete one.
bool SaveConfigFile(const ConfigStore& store, const QString& path, QString* error = nullptr);

// Floats in the file: the shortest text that reads back to the same 32-bit
// value, with '.' as the decimal point. Reading takes '.' or ','.
QString CfgFloatText(float value);
std::optional<double> ParseCfgFloat(const QString& text);

} // namespace vm
