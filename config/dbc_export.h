#pragma once
// The four CAN export messages of a configuration as a CAN database (DBC)
// text, so an analyser shows the unit's channels by name.
#include "config/config_store.h"

#include <QString>

namespace vm {

struct DbcResult {
    bool ok = false;
    QString error; // an export text that is no number, as the upload says it
    QString text;
};

// Enabled exports only; a configuration with none gives a database with no
// messages.
DbcResult ExportDbc(const ConfigStore& store);

// A C identifier made from a name: other characters become '_', a leading
// digit gets a '_' before it, an empty name gives fallback.
QString DbcIdentifier(const QString& name, const QString& fallback);

} // namespace vm
