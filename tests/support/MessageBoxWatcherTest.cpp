#include "support/MessageBoxWatcher.h"

#include <gtest/gtest.h>

// The watcher is what every other test relies on to see message boxes: check it reads the
// real box exactly and that the answer it gives is what MessageBoxW returns.

TEST(MessageBoxWatcher, ReadsCaptionTextButtonsAndIconAndPressesTheChosenButton) {
    MessageBoxWatcher watcher([](const MessageBoxInfo&) { return IDCANCEL; });
    const int result = MessageBoxW(nullptr, L"First line\nSecond line", L"A caption",
                                   MB_OKCANCEL | MB_ICONWARNING);
    EXPECT_EQ(IDCANCEL, result);
    ASSERT_TRUE(watcher.WaitForCount(1));
    const MessageBoxInfo box = watcher.Seen().at(0);
    EXPECT_EQ(L"A caption", box.caption);
    EXPECT_EQ(L"First line\nSecond line", box.text);
    EXPECT_TRUE(box.iconKnown);
    EXPECT_EQ(static_cast<UINT>(MB_OKCANCEL | MB_ICONWARNING), box.Style());
    EXPECT_EQ(nullptr, box.owner);
}

TEST(MessageBoxWatcher, TellsTheIconsApartAndSeesEveryBoxInTurn) {
    MessageBoxWatcher watcher;
    MessageBoxW(nullptr, L"e", L"1", MB_ICONERROR);
    MessageBoxW(nullptr, L"i", L"2", MB_ICONINFORMATION);
    MessageBoxW(nullptr, L"n", L"3", MB_OK);
    ASSERT_TRUE(watcher.WaitForCount(3));
    const auto boxes = watcher.Seen();
    EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONERROR), boxes[0].Style());
    EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONINFORMATION), boxes[1].Style());
    EXPECT_EQ(static_cast<UINT>(MB_OK), boxes[2].Style());
    EXPECT_EQ(L"3", boxes[2].caption);
}
