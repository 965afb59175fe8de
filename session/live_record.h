#pragma once
// The live values as rows of a CSV file: one row each time the unit sends its
// live values, with an ISO 8601 time stamp and the channel currents by name.
#include "session/live_status.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <array>

namespace vm {

struct LiveSample {
    QDateTime time;
    double totalCurrent = 0; // A
    double battery = 0;      // V
    int temperature = 0;     // °C
    std::array<double, LiveStatus::kHighPowerChannels> channelCurrents{}; // A, channels 1..18
};

LiveSample SampleOf(const LiveStatus& live, const QDateTime& time);

// A field quoted when it holds a separator, a quote or a line break.
QString CsvField(const QString& text);
// names: the 18 high-power channel names (an empty one is shown as "CH n").
QString CsvHeader(const QStringList& names);
QString CsvRow(const LiveSample& sample);

} // namespace vm
