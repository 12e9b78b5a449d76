// vtassoc.exe as a user meets it: started as its own process, its window driven from outside,
// the registry of the current user checked afterwards.
#include "UserRegistry.h"

#include "support/MessageBoxWatcher.h"
#include "support/e2e/AppDriver.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::wstring Program() {
    return WindowsPathOfHostFile(VTASSOC_EXE);
}

std::wstring FolderOf(const std::wstring& path) {
    return path.substr(0, path.find_last_of(L'\\') + 1);
}

class EndToEndTest : public ::testing::Test {
protected:
    CleanRegistrations clean{L"MKV", L"MP3", L"AVI"};
};

TEST_F(EndToEndTest, TicksRowsSetsAssociationsAndEndsWithExitCodeZero) {
    AppDriver app;
    ASSERT_TRUE(app.Start(Program())) << "cannot start " << testing::PrintToString(Program());
    ASSERT_NE(app.WaitForWindow(), nullptr);
    ASSERT_TRUE(app.WaitForRowCount(82));

    const std::vector<std::wstring> rows = app.RowTexts();
    EXPECT_EQ(rows.front(), L".3g2");
    EXPECT_EQ(rows[1], L".3gp");
    EXPECT_EQ(rows.back(), L".xvid");
    for (int row = 0; row < 82; ++row) {
        EXPECT_FALSE(app.IsRowChecked(row)) << "row " << row;
    }

    const int mkv = app.FindRow(L".mkv");
    const int mp3 = app.FindRow(L".mp3");
    ASSERT_GE(mkv, 0);
    ASSERT_GE(mp3, 0);
    ASSERT_TRUE(app.SetRowChecked(mkv, true));
    ASSERT_TRUE(app.SetRowChecked(mp3, true));
    EXPECT_TRUE(app.IsRowChecked(mkv));
    app.ClickButton(3); // "Play / Enqueue Shell Extension"

    {
        MessageBoxWatcher watcher(MessageBoxWatcher::PressFirstButton, app.ProcessId());
        app.ClickButton(1);
        ASSERT_TRUE(watcher.WaitForCount(1));
        const MessageBoxInfo box = watcher.Seen().front();
        EXPECT_EQ(box.caption, L"Success");
        EXPECT_EQ(box.text, L"2 selected extensions have been registered.");
        EXPECT_EQ(box.buttons, std::vector<int>{IDOK});
        EXPECT_EQ(box.owner, app.MainWindow());
    }
    EXPECT_TRUE(app.IsButtonChecked(3));

    app.Close();
    DWORD exitCode = 99;
    ASSERT_TRUE(app.WaitForExit(20000, exitCode));
    EXPECT_EQ(exitCode, 0u);

    const std::wstring player = FolderOf(Program()) + L"vtplayer.exe";
    const std::wstring progId = kClasses + L"VTMKVFile";
    EXPECT_EQ(ReadString(progId), L"Matroska Audio/Video File");
    EXPECT_EQ(ReadString(progId + L"\\DefaultIcon"), player + L",0");
    EXPECT_EQ(ReadString(progId + L"\\shell\\open\\command"), L"\"" + player + L"\" \"%L\"");
    EXPECT_TRUE(KeyExists(progId + L"\\ShellEx\\ContextMenuHandlers\\VTShellExt"));
    EXPECT_EQ(ReadString(kFileExts + L".MKV\\UserChoice", L"Progid"), L"VTMKVFile");
    EXPECT_EQ(ReadString(kClasses + L"VTMP3File"), L"MPEG Layer 3 Audio");
    EXPECT_EQ(ReadString(kFileExts + L".MP3\\UserChoice", L"Progid"), L"VTMP3File");
    EXPECT_FALSE(KeyExists(kClasses + L"VTAVIFile"));
}

TEST_F(EndToEndTest, AnOlderWindowsIsRefusedWithExitCodeOne) {
    // Wine answers GetVersionExW per program name: a copy named for this test reports XP.
    wchar_t temporary[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temporary);
    const std::wstring copy = std::wstring(temporary) + L"vtassoc-versiongate.exe";
    ASSERT_TRUE(CopyFileW(Program().c_str(), copy.c_str(), FALSE));
    const std::wstring defaults = L"Software\\Wine\\AppDefaults\\vtassoc-versiongate.exe";
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, defaults.c_str(), L"Version", REG_SZ, L"winxp",
                              sizeof(L"winxp")),
              ERROR_SUCCESS);

    DWORD exitCode = 99;
    std::vector<MessageBoxInfo> boxes;
    {
        AppDriver app;
        ASSERT_TRUE(app.Start(copy));
        MessageBoxWatcher watcher(MessageBoxWatcher::PressFirstButton, app.ProcessId());
        EXPECT_TRUE(watcher.WaitForCount(1));
        EXPECT_TRUE(app.WaitForExit(20000, exitCode));
        EXPECT_EQ(FindProcessWindow(L"VTFileAssocRootWnd", app.ProcessId()), nullptr);
        boxes = watcher.Seen();
    }
    RegDeleteTreeW(HKEY_CURRENT_USER, defaults.c_str());
    DeleteFileW(copy.c_str());

    EXPECT_EQ(exitCode, 1u);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, L"Wrong Windows Version");
    EXPECT_EQ(boxes[0].text, L"VT File Associations only runs on Windows Vista");
    EXPECT_EQ(boxes[0].buttons, std::vector<int>{IDOK});
    EXPECT_EQ(boxes[0].owner, nullptr);
}

} // namespace
