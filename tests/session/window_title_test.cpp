#include "session/window_title.h"

#include <gtest/gtest.h>

TEST(WindowTitle, FollowsWhereTheConfigurationCameFrom) {
    const struct {
        bool fromUnit;
        const char* name;
        bool fromFile;
        const char* file;
        const char* caption;
        const char* expected;
    } cases[] = {
        {false, "", false, "", "Voltmast Tool", "Voltmast Tool"},
        {false, "Truck", false, "x.cfg", "Whatever it was", "Whatever it was"},
        {true, "Truck 7", false, "", "Voltmast Tool", "Voltmast Tool - [ Truck 7 ]"},
        {true, "", false, "", "Voltmast Tool", "Voltmast Tool - [ No Name ]"},
        {true, "Unit", true, "a.cfg", "Voltmast Tool - [ a.cfg ]", "Voltmast Tool - [ Unit ]"},
        {false, "Unit", true, "fleet A.cfg", "Voltmast Tool - [ Unit ]", "Voltmast Tool - [ fleet A.cfg ]"},
        {false, "", true, "", "Voltmast Tool", "Voltmast Tool - [  ]"},
    };
    for (const auto& c : cases) {
        vm::WindowTitleInputs in;
        in.configFromUnit = c.fromUnit;
        in.unitName = c.name;
        in.configFromFile = c.fromFile;
        in.fileName = c.file;
        in.currentCaption = c.caption;
        EXPECT_EQ(vm::BuildWindowTitle(in), QString(c.expected)) << c.expected;
    }
}
