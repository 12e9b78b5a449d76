// Which way to Default apps each Windows version gets, and what the user sees when it fails.
#include "registration/DefaultApps.h"

#include <gtest/gtest.h>

namespace {

TEST(DefaultAppsTest, TheWindowsVersionDecidesTheWayToDefaultApps) {
    struct Case {
        const char* name;
        WindowsVersion version;
        DefaultAppsPage page;
        bool writesUserChoice;
    };
    const Case cases[] = {
        {"unknown", {0, 0, 0}, DefaultAppsPage::None, true},
        {"Vista", {6, 0, 6002}, DefaultAppsPage::None, true},
        {"7", {6, 1, 7601}, DefaultAppsPage::None, true},
        {"8", {6, 2, 9200}, DefaultAppsPage::AssociationDialog, false},
        {"8.1", {6, 3, 9600}, DefaultAppsPage::AssociationDialog, false},
        {"10 1507", {10, 0, 10240}, DefaultAppsPage::Settings, false},
        {"10 22H2", {10, 0, 19045}, DefaultAppsPage::Settings, false},
        {"10, last build before 11", {10, 0, 21999}, DefaultAppsPage::Settings, false},
        {"11 21H2", {10, 0, 22000}, DefaultAppsPage::SettingsForApplication, false},
        {"11 24H2", {10, 0, 26100}, DefaultAppsPage::SettingsForApplication, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.page, DefaultAppsPageFor(c.version)) << "Windows " << c.name;
        // Only Vista and 7 take a user choice that a program writes.
        EXPECT_EQ(c.writesUserChoice, ProgramWritesUserChoice(c.version)) << "Windows " << c.name;
    }
}

TEST(DefaultAppsTest, TheWineOfTheTestsReportsItsDefaultVersion) {
    // The test prefix runs as Windows 7, whatever the program's manifest says.
    const WindowsVersion version = RunningWindowsVersion();
    EXPECT_EQ(6u, version.major);
    EXPECT_EQ(1u, version.minor);
    EXPECT_EQ(DefaultAppsPage::None, DefaultAppsPageFor(version));
}

TEST(DefaultAppsTest, ASettingsPageThatCannotBeOpenedIsReportedWithTheSystemsCode) {
    // Wine has no handler for ms-settings: addresses.
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND),
              OpenDefaultApps(DefaultAppsPage::Settings, nullptr));
    EXPECT_NE(static_cast<DWORD>(ERROR_SUCCESS),
              OpenDefaultApps(DefaultAppsPage::SettingsForApplication, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_SUCCESS), OpenDefaultApps(DefaultAppsPage::None, nullptr));
}

} // namespace
