#pragma once
// Two configurations compared by what an upload would send: each value in
// the file's canonical form (device units, box indexes), so "2,5" and "2.5"
// are the same and only real differences are listed, in the file's order.
#include "config/config_store.h"

#include <QString>
#include <vector>

namespace vm {

struct ConfigDifference {
    QString section;
    QString key;
    QString a; // "(missing)" when only the other side has the key
    QString b;
};

struct ConfigComparison {
    bool ok = false; // false: a side could not be written out (error says why)
    QString error;
    std::vector<ConfigDifference> differences;
};

ConfigComparison CompareConfigs(const ConfigStore& a, const ConfigStore& b);

// "OUTPUT.MAX_CURRENT3: 125 -> 130"
QString DifferenceLine(const ConfigDifference& d);

} // namespace vm
