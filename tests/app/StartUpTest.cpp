#include "app/StartUp.h"

#include <gtest/gtest.h>

TEST(VersionGate, AcceptsTheNtSixFamilyThatWineReports) {
    EXPECT_TRUE(CheckWindowsVersion());
}
