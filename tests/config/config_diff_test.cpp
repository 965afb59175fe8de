// Configurations compared by meaning: number texts that upload the same are
// equal, and one changed value in each kind of block is found and named.
#include "config/config_diff.h"
#include "config/config_file.h"

#include <functional>
#include <gtest/gtest.h>

using namespace vm;

TEST(ConfigDiff, SameMeaningDifferentTextIsEqual) {
    ConfigStore a, b;
    OutputControls o = a.output(3);
    o.maxCurrent = QStringLiteral("2,5");
    a.setOutput(3, o);
    o.maxCurrent = QStringLiteral("2.50");
    b.setOutput(3, o);
    CanExportControls e = a.canExport(2);
    e.id = QStringLiteral("1a");
    a.setCanExport(2, e);
    e.id = QStringLiteral("01A");
    b.setCanExport(2, e);
    const ConfigComparison c = CompareConfigs(a, b);
    ASSERT_TRUE(c.ok) << c.error.toStdString();
    EXPECT_TRUE(c.differences.empty()) << DifferenceLine(c.differences.front()).toStdString();
}

TEST(ConfigDiff, OneChangeInEachBlockKind) {
    const struct {
        const char* section; // of the one line expected
        std::function<void(ConfigStore&)> change;
    } cases[] = {
        {"INPUT", [](ConfigStore& s) { auto i = s.input(2); i.mode = 1; s.setInput(2, i); }},
        {"OUTPUT", [](ConfigStore& s) { auto o = s.output(7); o.name = QStringLiteral("Beacon"); s.setOutput(7, o); }},
        {"OUTPUT", [](ConfigStore& s) { auto o = s.output(7); o.maxCurrent = QStringLiteral("13"); s.setOutput(7, o); }},
        {"CAN", [](ConfigStore& s) { s.canRule(4)[0] ^= 0x01; }},
        {"VIRTUAL", [](ConfigStore& s) { s.virtualInput(2)[0] ^= 0x01; }},
        {"FLASH", [](ConfigStore& s) { s.flash(1)[0] ^= 0x01; }},
        {"EXPORT", [](ConfigStore& s) { auto e = s.canExport(3); e.refresh = QStringLiteral("250"); s.setCanExport(3, e); }},
    };
    for (const auto& c : cases) {
        ConfigStore a, b;
        c.change(b);
        const ConfigComparison r = CompareConfigs(a, b);
        ASSERT_TRUE(r.ok) << r.error.toStdString();
        ASSERT_EQ(r.differences.size(), 1u) << c.section;
        const QString line = DifferenceLine(r.differences[0]);
        EXPECT_TRUE(r.differences[0].section.contains(QLatin1String(c.section), Qt::CaseInsensitive))
            << line.toStdString();
        EXPECT_TRUE(line.contains(QLatin1String(" -> "))) << line.toStdString();
    }
}

TEST(ConfigDiff, AValueThatCannotBeWrittenIsAnError) {
    ConfigStore a, b;
    CanExportControls e = b.canExport(1);
    e.refresh = QStringLiteral("fast");
    b.setCanExport(1, e);
    const ConfigComparison r = CompareConfigs(a, b);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.error.contains(QLatin1String("fast"))) << r.error.toStdString();
}
