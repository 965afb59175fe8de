#pragma once
// The configuration file (.cfg): an INI text with one section per block, in
// device units. Saving always starts from an empty file, so sections and keys
// come out in a fixed order that other tools and older files rely on.
#include "config/config_store.h"

#include <QString>
#include <optional>

namespace vm {

// The path with its extension replaced by ".cfg" (added when it has none).
QString ForceCfgExtension(const QString& path);

// Replaces every block but the unit name with the file's content. Missing
// keys, sections or a missing file give the defaults; so does a value that
// is not a number. Clearing the unit name is the caller's business.
void LoadConfigFile(ConfigStore& store, const QString& path);

// Writes the whole configuration. Nothing is written unless every value
// converts, and an existing file is replaced only by a complete one. On
// failure returns false with the message for the user in *error.
bool SaveConfigFile(const ConfigStore& store, const QString& path, QString* error = nullptr);

// Floats in the file: the shortest text that reads back to the same 32-bit
// value, with '.' as the decimal point. Reading takes '.' or ','.
QString CfgFloatText(float value);
std::optional<double> ParseCfgFloat(const QString& text);

} // namespace vm
