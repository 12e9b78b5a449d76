// The window object layer: message routing, painting, class registration and the object's
// self-deletion, with real windows.
#include "MainWindowFixture.h"

#include "app/StartUp.h"
#include "app/Window.h"
#include "support/MessageQueue.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// What a probe window saw; it outlives the window object.
struct Journal {
    std::vector<UINT> messages;
    int deletions = 0;
    int paints = 0;
    HDC paintedContext = nullptr;
    RECT paintedArea = {};
};

class ProbeWindow : public Window {
public:
    ProbeWindow(Journal& journal, const wchar_t* className, LRESULT createResult = 0)
        : journal(journal), className(className), createResult(createResult) {}
    ~ProbeWindow() override { ++journal.deletions; }

    static ProbeWindow* Make(ProbeWindow* object) {
        return static_cast<ProbeWindow*>(
            CreateBoundWindow(object, L"probe", WS_OVERLAPPEDWINDOW, 300, 200));
    }

    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        journal.messages.push_back(message);
        if (message == WM_CREATE) {
            return createResult;
        }
        return Window::OnMessage(message, wParam, lParam);
    }
    void Paint(const PAINTSTRUCT& paint) override {
        ++journal.paints;
        journal.paintedContext = paint.hdc;
        journal.paintedArea = paint.rcPaint;
    }
    std::wstring WindowClassName() const override { return className; }

private:
    Journal& journal;
    std::wstring className;
    LRESULT createResult;
};

// A main window whose deletion can be counted.
class CountedRootWindow : public RootWindow {
public:
    explicit CountedRootWindow(int& deletions) : deletions(deletions) {}
    ~CountedRootWindow() override { ++deletions; }
    static RootWindow* Make(int& deletions) {
        return CreateMainWindow(new CountedRootWindow(deletions));
    }

private:
    int& deletions;
};

class WindowFrameworkTest : public ::testing::Test {
protected:
    void SetUp() override { instanceHandle = GetModuleHandleW(nullptr); }
    void TearDown() override { DrainMessages(); }
};

TEST_F(WindowFrameworkTest, RoutesMessagesFromNcCreateOnAndDeletesTheObjectOnce) {
    Journal journal;
    auto* probe = new ProbeWindow(journal, L"VTTestProbeWnd");
    probe->Register();
    ASSERT_EQ(ProbeWindow::Make(probe), probe);
    const HWND window = probe->hwnd;
    ASSERT_TRUE(IsWindow(window));
    // The first WM_GETMINMAXINFO comes before WM_NCCREATE and goes to DefWindowProcW only.
    ASSERT_FALSE(journal.messages.empty());
    EXPECT_EQ(journal.messages.front(), static_cast<UINT>(WM_NCCREATE));
    EXPECT_EQ(GetWindowLongPtrW(window, GWLP_USERDATA), reinterpret_cast<LONG_PTR>(probe));

    DestroyWindow(window);
    EXPECT_EQ(journal.deletions, 1);
    EXPECT_EQ(journal.messages.back(), static_cast<UINT>(WM_NCDESTROY));
    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(DrainMessages()) << "only the main window ends the program";
}

TEST_F(WindowFrameworkTest, PaintsThroughPaintForWmPaintAndWmPrintClient) {
    Journal journal;
    auto* probe = new ProbeWindow(journal, L"VTTestPaintWnd");
    probe->Register();
    ASSERT_NE(ProbeWindow::Make(probe), nullptr);
    const HWND window = probe->hwnd;
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    journal.paints = 0;

    // WM_PRINTCLIENT paints into the given context, over the client area, validating nothing.
    InvalidateRect(window, nullptr, FALSE);
    const HDC context = CreateCompatibleDC(nullptr);
    EXPECT_EQ(SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(context), PRF_CLIENT),
              0);
    EXPECT_EQ(journal.paints, 1);
    EXPECT_EQ(journal.paintedContext, context);
    RECT client = {};
    GetClientRect(window, &client);
    EXPECT_TRUE(EqualRect(&journal.paintedArea, &client));
    EXPECT_TRUE(GetUpdateRect(window, nullptr, FALSE)) << "the pending update is still there";
    DeleteDC(context);

    // WM_PAINT goes through BeginPaint/EndPaint, which validates the window.
    UpdateWindow(window);
    EXPECT_EQ(journal.paints, 2);
    EXPECT_FALSE(GetUpdateRect(window, nullptr, FALSE));
    DestroyWindow(window);
    EXPECT_EQ(journal.deletions, 1);
}

TEST_F(WindowFrameworkTest, CreationWithoutAClassDeletesTheObjectOnce) {
    Journal journal;
    auto* probe = new ProbeWindow(journal, L"VTTestNeverRegisteredWnd");
    EXPECT_EQ(ProbeWindow::Make(probe), nullptr);
    EXPECT_EQ(journal.deletions, 1);
    EXPECT_TRUE(journal.messages.empty());
}

TEST_F(WindowFrameworkTest, CreationThatFailsAfterAttachingDeletesTheObjectOnce) {
    // WM_CREATE answering -1 makes CreateWindowExW destroy the attached window again: its
    // WM_NCDESTROY deletes the object, and creation must not delete it a second time.
    Journal journal;
    auto* probe = new ProbeWindow(journal, L"VTTestRefusingWnd", -1);
    probe->Register();
    EXPECT_EQ(ProbeWindow::Make(probe), nullptr);
    EXPECT_EQ(journal.deletions, 1);
    ASSERT_FALSE(journal.messages.empty());
    EXPECT_EQ(journal.messages.back(), static_cast<UINT>(WM_NCDESTROY));
}

TEST_F(WindowFrameworkTest, ClosingTheMainWindowDeletesItOnceAndPostsQuitZero) {
    int deletions = 0;
    RootWindow* root = CountedRootWindow::Make(deletions);
    ASSERT_NE(root, nullptr);
    const HWND window = root->hwnd;
    wchar_t text[64] = {};
    GetClassNameW(window, text, 64);
    EXPECT_STREQ(text, L"VTFileAssocRootWnd");
    GetWindowTextW(window, text, 64);
    EXPECT_STREQ(text, L"VT File Associations");
    RECT bounds = {};
    GetWindowRect(window, &bounds);
    EXPECT_EQ(bounds.right - bounds.left, 400);
    EXPECT_EQ(bounds.bottom - bounds.top, 300);
    EXPECT_EQ(deletions, 0);

    // The user's close: WM_CLOSE through the default handling destroys the window.
    SendMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(deletions, 1);
    WPARAM code = 99;
    EXPECT_TRUE(DrainMessages(&code));
    EXPECT_EQ(code, 0u);
}

} // namespace
