#include "catalogue/ExtensionCatalogue.h"
#include "catalogue/ExtensionGate.h"
#include "catalogue/IconLocationGate.h"
#include "support/RefusedInputs.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<std::wstring> Keys(const ExtensionCatalogue& catalogue) {
    std::vector<std::wstring> keys;
    for (const auto& item : catalogue) {
        keys.push_back(item.first);
    }
    return keys;
}

} // namespace

TEST(CompareExtensions, OrdersByUnsignedCodeUnitsWithPrefixesFirst) {
    // "-" before digits before upper-case before lower-case letters.
    EXPECT_LT(CompareExtensions(L"dts", L"dvr-ms"), 0);
    EXPECT_LT(CompareExtensions(L"a-b", L"a0b"), 0);
    EXPECT_LT(CompareExtensions(L"3gp", L"aac"), 0);
    EXPECT_LT(CompareExtensions(L"MKV", L"mkv"), 0);
    EXPECT_LT(CompareExtensions(L"mid", L"midi"), 0);
    EXPECT_LT(CompareExtensions(L"", L"3g2"), 0);
    EXPECT_GT(CompareExtensions(L"midi", L"mid"), 0);
    EXPECT_EQ(CompareExtensions(L"mkv", L"mkv"), 0);
    EXPECT_EQ(CompareExtensions(L"", L""), 0);
    // Above 0x7F and above 0x7FFF: a signed or locale-aware comparison gets these wrong.
    EXPECT_GT(CompareExtensions(L"\u00e9", L"z"), 0);
    EXPECT_GT(CompareExtensions(L"\u8000", L"\u7fff"), 0);
    EXPECT_GT(CompareExtensions(L"\uffff", L"\u8000"), 0);
    EXPECT_LT(CompareExtensions(L"z", L"\u8000"), 0);
    // Code units, not code points: a surrogate pair (U+10000) sorts before U+E000.
    EXPECT_LT(CompareExtensions(L"\xD800\xDC00", L"\uE000"), 0);
}

TEST(ExtensionCatalogue, AddEntryKeepsTheFirstEntryForAnExtension) {
    ExtensionCatalogue catalogue;
    EXPECT_TRUE(catalogue.AddEntry({L"mkv", L"C:\\first.exe", L"0"}));
    EXPECT_FALSE(catalogue.AddEntry({L"mkv", L"C:\\second.exe", L"7"}));
    ASSERT_EQ(catalogue.Size(), 1u);
    const ExtensionEntry* entry = catalogue.Find(L"mkv");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->iconFile, L"C:\\first.exe");
    EXPECT_EQ(entry->iconIndex, L"0");
    EXPECT_EQ(catalogue.Find(L"avi"), nullptr);
}

TEST(ExtensionCatalogue, AddOrReplaceEntryReplacesEveryFieldInTheSameSlot) {
    ExtensionCatalogue catalogue;
    catalogue.AddEntry({L"avi", L"C:\\player.exe", L"0"});
    catalogue.AddEntry({L"mkv", L"C:\\player.exe", L"0"});
    ExtensionEntry* before = catalogue.Find(L"mkv");

    catalogue.AddOrReplaceEntry({L"mkv", L"", L"-102"});
    EXPECT_EQ(catalogue.Size(), 2u);
    ExtensionEntry* after = catalogue.Find(L"mkv");
    EXPECT_EQ(after, before) << "list rows refer to entries by address";
    EXPECT_EQ(after->extension, L"mkv");
    EXPECT_EQ(after->iconFile, L"");
    EXPECT_EQ(after->iconIndex, L"-102");

    catalogue.AddOrReplaceEntry({L"ogg", L"C:\\icons.dll", L"3"});
    EXPECT_EQ(catalogue.Size(), 3u);
    ASSERT_NE(catalogue.Find(L"ogg"), nullptr);
    EXPECT_EQ(catalogue.Find(L"ogg")->iconFile, L"C:\\icons.dll");
    EXPECT_EQ(catalogue.Find(L"mkv"), before);
}

TEST(ExtensionCatalogue, KeysAreCaseSensitiveAndUnvalidated) {
    ExtensionCatalogue catalogue;
    EXPECT_TRUE(catalogue.AddEntry({L"mkv", L"", L"0"}));
    EXPECT_TRUE(catalogue.AddEntry({L"MKV", L"", L"1"}));
    EXPECT_TRUE(catalogue.AddEntry({L"", L"", L"2"}));
    EXPECT_TRUE(catalogue.AddEntry({L".mkv", L"", L"3"}));
    EXPECT_TRUE(catalogue.AddEntry({L"3gp", L"", L"4"}));
    EXPECT_TRUE(catalogue.AddEntry({L"\u00e4", L"", L"5"}));
    EXPECT_EQ(Keys(catalogue),
              (std::vector<std::wstring>{L"", L".mkv", L"3gp", L"MKV", L"mkv", L"\u00e4"}));
    EXPECT_EQ(catalogue.Find(L"MKV")->iconIndex, L"1");
    EXPECT_EQ(catalogue.Find(L"")->iconIndex, L"2");
}

TEST(ExtensionCatalogue, IterationGivesWritableEntries) {
    ExtensionCatalogue catalogue;
    catalogue.AddEntry({L"mkv", L"C:\\player.exe", L"0"});
    catalogue.AddEntry({L"avi", L"C:\\player.exe", L"0"});
    for (auto& item : catalogue) {
        item.second.iconIndex = L"9";
    }
    EXPECT_EQ(catalogue.Find(L"mkv")->iconIndex, L"9");
    EXPECT_EQ(catalogue.Find(L"avi")->iconIndex, L"9");
}

TEST(ExtensionSet, MembershipIsExactAndDuplicatesAreIgnored) {
    ExtensionSet set;
    set.Insert(L"mkv");
    set.Insert(L"mkv");
    set.Insert(L"");
    EXPECT_EQ(set.Size(), 2u);
    EXPECT_TRUE(set.Contains(L"mkv"));
    EXPECT_TRUE(set.Contains(L""));
    EXPECT_FALSE(set.Contains(L"MKV"));
    EXPECT_FALSE(set.Contains(L"mk"));
    EXPECT_FALSE(set.Contains(L"mkvx"));
}

TEST(Gates, IconFilesAndExtensionsFromOutsideAreJudgedWithTheReasonShown) {
    ASSERT_EQ(GetDriveTypeW(L"N:\\"), UINT(DRIVE_REMOTE)) << "the test prefix maps N: to a share";
    ASSERT_EQ(GetDriveTypeW(L"K:\\"), UINT(DRIVE_NO_ROOT_DIR)) << "and K: to nothing";
    for (const GateCase& c : kIconFileCases) {
        EXPECT_EQ(Verdict(IconFileRefusal(c.text)), Verdict(c.reason))
            << testing::PrintToString(c.text);
    }
    for (const GateCase& c : ExtensionCases()) {
        EXPECT_EQ(Verdict(ExtensionRefusal(WithoutLeadingFullStop(c.text))), Verdict(c.reason))
            << testing::PrintToString(c.text);
    }
}
