// IDF files as a user meets them in vtassoc.exe, started as its own process: a file named on the
// command line, one chosen with "Open IDF File" in the real open-file dialog, and the ways a load
// ends the program.
#include "registry/RegistryTestSupport.h"

#include "definitions/IdfTestSupport.h"
#include "support/FileDialogDriver.h"
#include "support/MessageBoxWatcher.h"
#include "support/e2e/AppDriver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

std::wstring Program() {
    return WindowsPathOfHostFile(VTASSOC_EXE);
}

int Width(const RECT& rect) {
    return rect.right - rect.left;
}

// Waits until the main window has the outer width; false on time-out.
bool WaitForWindowWidth(HWND window, int width) {
    const ULONGLONG deadline = GetTickCount64() + 20000;
    for (;;) {
        RECT bounds = {};
        GetWindowRect(window, &bounds);
        if (Width(bounds) == width) {
            return true;
        }
        if (GetTickCount64() >= deadline) {
            return false;
        }
        Sleep(10);
    }
}

class IdfEndToEndTest : public ::testing::Test {
protected:
    TestFolder folder{L"vt-idf-e2e"};
};

TEST_F(IdfEndToEndTest, ARelativePathOnTheCommandLineIsInTheFirstFillAndItsFittedWidth) {
    const CleanRegistrations clean{L"ZZ07"};
    const std::wstring work = folder.MakeFolder(L"Work");
    const std::wstring defs = folder.MakeFolder(L"Work\\defs");
    std::string text;
    for (int n = 1; n <= 19; ++n) { // 82 + 19 rows: a sixth list column
        const std::string number = (n < 10 ? "0" : "") + std::to_string(n);
        text += "AddExt(ext=ZZ" + number + ",file=icons.dll,index=" + std::to_string(n) + ")\r\n";
    }
    ASSERT_TRUE(
        WriteBytes(defs + L"extra.idf",
                   EncodeIdfText(std::wstring(text.begin(), text.end()), IdfEncoding::Utf16LE)));

    AppDriver app;
    ASSERT_TRUE(app.Start(Program(), {L"defs\\extra.idf"}, work));
    ASSERT_NE(app.WaitForWindow(), nullptr);
    ASSERT_TRUE(app.WaitForRowCount(101));
    const std::vector<std::wstring> rows = app.RowTexts();
    EXPECT_EQ(rows[81], L".xvid");
    EXPECT_EQ(rows[82], L".zz01");
    EXPECT_EQ(rows[100], L".zz19");
    for (int row = 0; row < 101; ++row) {
        EXPECT_FALSE(app.IsRowChecked(row)) << "row " << row;
    }
    const RECT row = app.RowBounds(0);
    ASSERT_GT(Width(row), 0);
    EXPECT_TRUE(WaitForWindowWidth(app.MainWindow(), 6 * Width(row) + 40))
        << "six columns of 20 rows";

    // What the statement gave goes into the registration, once the user has answered Yes to
    // the question that the build folder holds no player.
    ASSERT_TRUE(app.SetRowChecked(88, true));
    {
        MessageBoxWatcher watcher(MessageBoxWatcher::PressFirstButton, app.ProcessId());
        app.ClickButton(1);
        ASSERT_TRUE(watcher.WaitForCount(2));
        const MessageBoxInfo question = watcher.Seen()[0];
        const std::wstring player = WindowsPathOfHostFile(VTASSOC_EXE);
        EXPECT_EQ(question.caption, L"Set Associations");
        EXPECT_NE(question.text.find(player.substr(0, player.rfind(L'\\')) + L"\\vtplayer.exe\n"),
                  std::wstring::npos);
        EXPECT_EQ(question.text.substr(question.text.size() - 16), L"Register anyway?");
        EXPECT_EQ(question.buttons, (std::vector<int>{IDYES, IDNO}));
        EXPECT_EQ(watcher.Seen()[1].text, L"1 selected extensions have been registered.");
    }
    EXPECT_EQ(ReadRawString(kClasses + L"\\VTZZ07File\\DefaultIcon"), defs + L"icons.dll,-7");

    app.Close();
    DWORD exitCode = 99;
    ASSERT_TRUE(app.WaitForExit(20000, exitCode));
    EXPECT_EQ(exitCode, 0u);
}

TEST_F(IdfEndToEndTest, OpenIdfFileLoadsTheFileChosenInTheRealDialog) {
    const std::wstring path = folder.Path() + L"chosen.idf";
    ASSERT_TRUE(WriteBytes(path, EncodeIdfText(L"AddExt(ext=idfone,file=one.dll,index=1)\n"
                                               L"AddExt(ext=IDFTWO,file=two.dll,index=2)\n",
                                               IdfEncoding::Utf8)));
    AppDriver app;
    ASSERT_TRUE(app.Start(Program()));
    ASSERT_NE(app.WaitForWindow(), nullptr);
    ASSERT_TRUE(app.WaitForRowCount(82));
    ASSERT_TRUE(app.SetRowChecked(app.FindRow(L".mkv"), true));
    ASSERT_TRUE(app.SetRowChecked(0, true));

    app.ClickButton(2);
    OpenFileDialogSeen seen;
    ASSERT_TRUE(AnswerOpenFileDialog(app.ProcessId(), path, &seen));
    EXPECT_EQ(seen.owner, app.MainWindow());
    EXPECT_EQ(seen.fileType, L".idf Files");

    ASSERT_TRUE(app.WaitForRowCount(84));
    const int idf = app.FindRow(L".idf");
    ASSERT_GE(idf, 0);
    EXPECT_EQ(app.RowText(idf + 1), L".idfone");
    EXPECT_EQ(app.RowText(idf + 2), L".idftwo");
    for (int row = 0; row < 84; ++row) {
        EXPECT_FALSE(app.IsRowChecked(row)) << "row " << row;
    }

    app.Close();
    DWORD exitCode = 99;
    ASSERT_TRUE(app.WaitForExit(20000, exitCode));
    EXPECT_EQ(exitCode, 0u);
}

TEST_F(IdfEndToEndTest, AFileThatDoesNotExistIsReportedAndTheProgramEnds) {
    const std::wstring missing = folder.Path() + L"missing.idf";
    AppDriver app;
    ASSERT_TRUE(app.Start(Program(), {missing}));
    // The owner is gone with the program: its class is noted while the box is up.
    std::wstring ownerClass;
    MessageBoxWatcher watcher(
        [&ownerClass](const MessageBoxInfo& box) {
            wchar_t name[64] = {};
            GetClassNameW(box.owner, name, 64);
            ownerClass = name;
            return IDOK;
        },
        app.ProcessId());
    ASSERT_TRUE(watcher.WaitForCount(1));
    DWORD exitCode = 99;
    ASSERT_TRUE(app.WaitForExit(20000, exitCode)) << "the program closes after the box";
    EXPECT_EQ(exitCode, 0u);

    const MessageBoxInfo box = watcher.Seen()[0];
    EXPECT_EQ(box.caption, L"Error");
    const std::wstring start = L"Cannot open file:\n\n" + missing + L"\n\nerror 2 (";
    EXPECT_EQ(box.text.substr(0, start.size()), start);
    EXPECT_EQ(box.text.back(), L')');
    EXPECT_GT(box.text.size(), start.size() + 1) << "with the system's text for the error";
    EXPECT_EQ(box.buttons, std::vector<int>{IDOK});
    EXPECT_EQ(ownerClass, L"VTFileAssocRootWnd");
    EXPECT_EQ(watcher.Seen().size(), 1u);
}

} // namespace
