#include "common/SystemErrorText.h"
#include "definitions/ErrorText.h"
#include "definitions/TextFile.h"
#include "resource.h"
#include "support/TestFolder.h"

#include <gtest/gtest.h>

#include <thread>

TEST(ErrorText, FillsPlaceholdersWithWideTextsAndNumbers) {
    // Characters beyond ASCII catch a %s that the runtime reads as a narrow string.
    EXPECT_EQ(FormatErrorText(L"%s|%d|%%|%x|%s", {L"C:\\d\u00e9f\u4e2d.idf", 2, -5}),
              L"C:\\d\u00e9f\u4e2d.idf|2|%|%x|-5");
    EXPECT_EQ(FormatErrorText(L"a %s b %d", {}), L"a  b ");
    EXPECT_EQ(FormatErrorText(L"%d", {0x80070005UL}), L"-2147024891");
}

TEST(ErrorText, StoresMessagesFromTheStringTableAndKeepsTheLastError) {
    SetLastError(1234);
    SetLastErrorText(IDS_ERROR_READING_FILE, {5, L"C:\\a \u00fc.txt", L"Access denied."});
    EXPECT_EQ(GetLastError(), 1234u);
    ASSERT_TRUE(lastErrorText);
    EXPECT_STREQ(lastErrorText.get(),
                 L"Error 5 reading file:\n\nC:\\a \u00fc.txt\n\n(Access denied.)");

    SetLastErrorText(IDS_ERROR_WRITING_FILE, {6, L"x", L"y"});
    EXPECT_STREQ(lastErrorText.get(), L"Error 6 writing to file:\n\nx\n\n(y)");
}

TEST(ErrorText, CutsLongMessagesTo8191Characters) {
    const std::wstring longName(9000, L'n');
    SetLastErrorText(IDS_CANNOT_OPEN_FILE, {longName, 2, L"text"});
    const std::wstring text = lastErrorText.get();
    EXPECT_EQ(text.size(), 8191u);
    EXPECT_EQ(text.substr(0, 20), L"Cannot open file:\n\nn");
}

TEST(ErrorText, IsKeptPerThread) {
    SetLastErrorText(IDS_ERROR_WRITING_FILE, {1, L"main", L""});
    std::wstring seenBefore = L"not run", seenAfter;
    std::thread other([&] {
        seenBefore = lastErrorText ? lastErrorText.get() : L"(null)";
        SetLastErrorText(IDS_ERROR_WRITING_FILE, {2, L"other", L""});
        seenAfter = lastErrorText.get();
    });
    other.join();
    EXPECT_EQ(seenBefore, L"(null)");
    EXPECT_EQ(seenAfter, L"Error 2 writing to file:\n\nother\n\n()");
    EXPECT_STREQ(lastErrorText.get(), L"Error 1 writing to file:\n\nmain\n\n()");
}

TEST(ErrorText, SystemTextsLoseOnlyTheirLineEnd) {
    const std::wstring notFound = SystemErrorPhrase(ERROR_FILE_NOT_FOUND);
    ASSERT_FALSE(notFound.empty());
    EXPECT_EQ(notFound.back(), L'.');
    EXPECT_EQ(notFound.find_first_of(L"\r\n"), std::wstring::npos);
    EXPECT_EQ(SystemErrorPhrase(0x2FFFFFFF), L"");
    // A system text with an insert comes back with the insert, not with a crash.
    EXPECT_NE(SystemErrorPhrase(ERROR_BAD_EXE_FORMAT).find(L"%1"), std::wstring::npos);
}

TEST(ErrorText, OpenOfAMissingFileNamesThePathTheCodeAndTheSystemText) {
    const std::wstring path = TempPath(L"missing-\u00e9\u4e2d.idf");
    TextFile file;
    EXPECT_EQ(file.Open(path.c_str()), TextFileError);
    EXPECT_EQ(std::wstring(lastErrorText.get()),
              L"Cannot open file:\n\n" + path + L"\n\nerror 2 (" + SystemErrorPhrase(2) + L")");
    // The record stays closed and as it was.
    EXPECT_EQ(file.handle, INVALID_HANDLE_VALUE);
    EXPECT_EQ(file.mode, 0u);
    EXPECT_TRUE(file.name.empty());
    EXPECT_FALSE(file.reader);
}
