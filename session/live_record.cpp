#include "session/live_record.h"

namespace vm {

LiveSample SampleOf(const LiveStatus& live, const QDateTime& time) {
    LiveSample s;
    s.time = time;
    s.totalCurrent = live.currentSumTenths() / 10.0;
    s.battery = live.batteryTenths() / 10.0;
    s.temperature = live.temperatureValue();
    for (int ch = 1; ch <= LiveStatus::kHighPowerChannels; ++ch)
        s.channelCurrents[static_cast<std::size_t>(ch - 1)] = live.channelCurrentTenths(ch) / 10.0;
    return s;
}

QString CsvField(const QString& text) {
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) && !text.contains(QLatin1Char('\n')) &&
        !text.contains(QLatin1Char('\r')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString CsvHeader(const QStringList& names) {
    QStringList fields{QStringLiteral("time"), QStringLiteral("total current [A]"), QStringLiteral("battery [V]"),
                       QStringLiteral("temperature [C]")};
    for (int ch = 1; ch <= LiveStatus::kHighPowerChannels; ++ch) {
        const QString name = names.value(ch - 1).trimmed();
        fields << CsvField(QStringLiteral("%1: %2 [A]").arg(ch).arg(name.isEmpty() ? QStringLiteral("CH %1").arg(ch) : name));
    }
    return fields.join(QLatin1Char(','));
}

QString CsvRow(const LiveSample& s) {
    // Dots as decimal points whatever the locale: spreadsheets take them with the comma separator.
    // With the offset from UTC, so a log read elsewhere keeps its moments.
    const QDateTime t = s.time.toOffsetFromUtc(s.time.offsetFromUtc());
    QStringList fields{t.toString(Qt::ISODateWithMs), QString::number(s.totalCurrent, 'f', 1),
                       QString::number(s.battery, 'f', 1), QString::number(s.temperature)};
    for (double a : s.channelCurrents) fields << QString::number(a, 'f', 1);
    return fields.join(QLatin1Char(','));
}

} // namespace vm
