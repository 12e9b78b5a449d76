// Benchmark helper for scripts/bench.d/40-app; not run by CTest.
//   startup TOOL EMPTY ROUNDS   time from process start until the tool's list holds its 82 rows,
//                               against an empty Win32 window shown by EMPTY; median of ROUNDS
//                               each, alternating. Fails when the tool needs more than 1.5 times.
//   set-associations TOOL       ticks all 82 rows and the shell extension check box, then times
//                               "Set Associations" until its "Success" box appears.
#include "support/MessageBoxWatcher.h"
#include "support/e2e/AppDriver.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// One start: the time until ready() holds, or a negative value on failure.
template <class Ready> double TimeStart(const std::wstring& program, Ready ready) {
    AppDriver app;
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    if (!app.Start(program) || !ready(app)) {
        return -1;
    }
    QueryPerformanceCounter(&end);
    return Milliseconds(start, end);
}

int StartUp(const std::wstring& tool, const std::wstring& empty, int rounds) {
    std::vector<double> ours, baseline;
    for (int round = 0; round < rounds; ++round) {
        const double empties = TimeStart(empty, [](AppDriver& app) {
            const ULONGLONG deadline = GetTickCount64() + 30000;
            HWND window = nullptr;
            while ((window = FindProcessWindow(L"VTBenchEmptyWnd", app.ProcessId())) == nullptr) {
                if (GetTickCount64() > deadline) {
                    return false;
                }
                Sleep(1);
            }
            PostMessageW(window, WM_CLOSE, 0, 0);
            return true;
        });
        const double tools = TimeStart(tool, [](AppDriver& app) {
            return app.WaitForWindow() != nullptr && app.WaitForRowCount(82);
        });
        if (empties < 0 || tools < 0) {
            std::fprintf(stderr, "a program did not show its window\n");
            return 1;
        }
        baseline.push_back(empties);
        ours.push_back(tools);
    }
    const double o = Median(ours), b = Median(baseline);
    std::printf("start until the list shows 82 rows (median of %d): %.0f ms\n", rounds, o);
    std::printf("start until an empty window shows  (median of %d): %.0f ms\n", rounds, b);
    std::printf("ratio tool/empty window: %.2f (target at most 1.50)\n", o / b);
    return o <= 1.5 * b ? 0 : 1;
}

int SetAssociations(const std::wstring& tool) {
    AppDriver app;
    if (!app.Start(tool) || app.WaitForWindow() == nullptr || !app.WaitForRowCount(82)) {
        std::fprintf(stderr, "the tool did not show its 82 rows\n");
        return 1;
    }
    for (int row = 0; row < 82; ++row) {
        app.SetRowChecked(row, true);
    }
    app.ClickButton(3);
    MessageBoxWatcher watcher(MessageBoxWatcher::PressFirstButton, app.ProcessId());
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    app.ClickButton(1);
    if (!watcher.WaitForCount(1, 60000)) {
        std::fprintf(stderr, "no box after Set Associations\n");
        return 1;
    }
    QueryPerformanceCounter(&end);
    const MessageBoxInfo box = watcher.Seen().front();
    std::printf("%.0f\n", Milliseconds(start, end));
    std::fprintf(stderr, "%ls: %ls\n", box.caption.c_str(), box.text.c_str());
    return box.caption == L"Success" ? 0 : 1;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring mode = argc > 1 ? argv[1] : L"";
    if (mode == L"startup" && argc > 4) {
        return StartUp(argv[2], argv[3], std::max(1, _wtoi(argv[4])));
    }
    if (mode == L"set-associations" && argc > 2) {
        return SetAssociations(argv[2]);
    }
    std::fprintf(stderr, "usage: app_bench startup TOOL EMPTY ROUNDS | set-associations TOOL\n");
    return 2;
}
