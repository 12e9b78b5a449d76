// Benchmark helper for scripts/bench.d/40-app; not run by CTest.
//   startup TOOL EMPTY LIST ROUNDS
//                               time from process start until the tool's list holds its 82 rows,
//                               against an empty Win32 window shown by EMPTY and a list of 82 text
//                               rows shown by LIST (the tool's manifest and libraries), in turn;
//                               prints minimum and median of each, the ratios to both (target
//                               against the empty window: at most 1.25) and where the time goes:
//                               the start-up steps run in a fresh process of this program ROUNDS
//                               times (startup-steps).
//   startup-steps FILE          the tool's start-up sequence in this process, each step timed;
//                               the times go to FILE.
//   set-associations TOOL       ticks all 82 rows and the shell extension check box, then times
//                               "Set Associations" until its "Success" box appears.
//   set-associations-steps      the steps of "Set Associations" for the 82 built-in extensions in
//                               this process, each timed.
#include "app/MainWindowAccess.h"
#include "app/RootWindow.h"
#include "app/StartUp.h"
#include "catalogue/RegisteredIconProbe.h"
#include "registration/DefaultApps.h"
#include "registration/RegisterExtension.h"
#include "support/MessageBoxWatcher.h"
#include "support/TestFolder.h"
#include "support/ThisProgram.h"
#include "support/e2e/AppDriver.h"

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr double StartUpTarget = 1.25;

double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

double Now() {
    LARGE_INTEGER now, origin = {};
    QueryPerformanceCounter(&now);
    return Milliseconds(origin, now);
}

double Minimum(const std::vector<double>& values) {
    return *std::min_element(values.begin(), values.end());
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

const char* const kStepNames[] = {
    "process start until main (loader, DLLs)",
    "version gate, COM, common controls",
    "window creation (controls, font, menu)",
    "show",
    "catalogue and known sets",
    "probe of earlier registrations",
    "icon extraction",
    "list fill",
    "association marks (registry, overlays)",
    "fitting (with the list's first paint)",
};
constexpr int kSteps = sizeof(kStepNames) / sizeof(kStepNames[0]);

// Milliseconds since this process was created.
double SinceProcessStart() {
    FILETIME created, exited, kernel, user, now;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    GetSystemTimePreciseAsFileTime(&now);
    const auto ticks = [](const FILETIME& time) {
        return (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    };
    return static_cast<double>(ticks(now) - ticks(created)) / 10000.0;
}

// The sequence of RunProgram, without an IDF file, each step timed.
int StartUpSteps(const wchar_t* file) {
    double times[kSteps] = {SinceProcessStart()};
    double mark = Now();
    auto step = [&](int index) {
        const double now = Now();
        times[index] = now - mark;
        mark = now;
    };
    instanceHandle = GetModuleHandleW(nullptr);
    CheckWindowsVersion();
    CoInitialize(nullptr);
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    step(1);
    RootWindow* const root = RootWindow::Create();
    MainWindowAccess window(*root);
    step(2);
    ShowWindow(window.hwnd, SW_SHOWNORMAL);
    step(3);
    window.BuildCatalogue();
    window.BuildKnownVideoSet();
    window.BuildKnownAudioSet();
    step(4);
    window.ProbeRegisteredIcons();
    step(5);
    const std::vector<int> images = window.AddRowImages();
    step(6);
    window.AddExtensionRows(images);
    step(7);
    window.ShowAssociationMarks();
    step(8);
    window.FitWindowToList();
    step(9);
    FILE* out = _wfopen(file, L"w");
    if (out == nullptr) {
        return 1;
    }
    for (double time : times) {
        std::fprintf(out, "%f\n", time);
    }
    std::fclose(out);
    return 0;
}

// Runs startup-steps in fresh processes of this program; adds each step's times.
bool RunStartUpSteps(std::vector<double> (&steps)[kSteps]) {
    const std::wstring file = TempPath(L"vt-startup-steps.txt");
    AppDriver app;
    DWORD exitCode = 1;
    if (!app.Start(ThisProgram(), {L"startup-steps", file}) || !app.WaitForExit(60000, exitCode) ||
        exitCode != 0) {
        return false;
    }
    FILE* in = _wfopen(file.c_str(), L"r");
    if (in == nullptr) {
        return false;
    }
    for (auto& values : steps) {
        double value = 0;
        if (std::fscanf(in, "%lf", &value) == 1) {
            values.push_back(value);
        }
    }
    std::fclose(in);
    DeleteFileW(file.c_str());
    return true;
}

// The time until a window of the class in the started process shows a list of 82 rows.
bool WaitForListWindow(AppDriver& app) {
    const ULONGLONG deadline = GetTickCount64() + 30000;
    for (;;) {
        const HWND window = FindProcessWindow(L"VTBenchListWnd", app.ProcessId());
        const HWND list =
            window != nullptr ? FindWindowExW(window, nullptr, WC_LISTVIEWW, nullptr) : nullptr;
        if (list != nullptr && SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) == 82) {
            PostMessageW(window, WM_CLOSE, 0, 0);
            return true;
        }
        if (GetTickCount64() > deadline) {
            return false;
        }
        Sleep(1);
    }
}

int StartUp(const std::wstring& tool, const std::wstring& empty, const std::wstring& list,
            int rounds) {
    std::vector<double> ours, baseline, floor;
    std::vector<double> steps[kSteps];
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
        const double lists = TimeStart(list, WaitForListWindow);
        if (empties < 0 || tools < 0 || lists < 0 || !RunStartUpSteps(steps)) {
            std::fprintf(stderr, "a program did not show its window\n");
            return 1;
        }
        baseline.push_back(empties);
        ours.push_back(tools);
        floor.push_back(lists);
    }
    const double o = Median(ours), b = Median(baseline), f = Median(floor);
    std::printf("start-up, %d rounds; ms: minimum / median\n", rounds);
    std::printf("  the tool until the list shows 82 rows  %6.1f / %6.1f\n", Minimum(ours), o);
    std::printf("  an empty Win32 window until it shows   %6.1f / %6.1f\n", Minimum(baseline), b);
    std::printf("  82 text rows, the tool's manifest/DLLs %6.1f / %6.1f\n", Minimum(floor), f);
    std::printf("  where the tool's time goes (its steps in a process of the benchmark):\n");
    double sum = 0;
    for (int i = 0; i < kSteps; ++i) {
        std::printf("    %-42s %6.1f / %6.1f\n", kStepNames[i], Minimum(steps[i]),
                    Median(steps[i]));
        sum += Median(steps[i]);
    }
    std::printf("    %-42s %6.1f\n", "sum of the medians", sum);
    std::printf("    %-42s %5.1f %%\n", "association marks, share of the sum",
                100.0 * Median(steps[8]) / sum);
    std::printf("=> start-up tool / list of 82 text rows: %.2f (of the minimums %.2f)\n", o / f,
                Minimum(ours) / Minimum(floor));
    std::printf("=> start-up tool / empty window: %.2f (of the minimums %.2f) (target: at most "
                "%.2f) %s\n",
                o / b, Minimum(ours) / Minimum(baseline), StartUpTarget,
                o <= StartUpTarget * b ? "met" : "MISSED");
    return o <= StartUpTarget * b ? 0 : 1;
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
    // The box is looked for every millisecond; the watcher answers it.
    const ULONGLONG deadline = GetTickCount64() + 60000;
    while (FindProcessWindow(L"#32770", app.ProcessId()) == nullptr &&
           GetTickCount64() < deadline) {
        Sleep(1);
    }
    QueryPerformanceCounter(&end);
    if (!watcher.WaitForCount(1, 60000)) {
        std::fprintf(stderr, "no box after Set Associations\n");
        return 1;
    }
    const MessageBoxInfo box = watcher.Seen().front();
    std::printf("%.0f\n", Milliseconds(start, end));
    std::fprintf(stderr, "%ls: %ls\n", box.caption.c_str(), box.text.c_str());
    return box.caption == L"Success" ? 0 : 1;
}

LRESULT CALLBACK AnswerBox(int code, WPARAM wParam, LPARAM lParam);
HHOOK boxHook = nullptr;
double boxShown = 0;

LRESULT CALLBACK AnswerBox(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE && boxShown == 0) {
        boxShown = Now();
        PostMessageW(reinterpret_cast<HWND>(wParam), WM_COMMAND, IDOK, 0);
    }
    return CallNextHookEx(boxHook, code, wParam, lParam);
}

// The steps of RootWindow::SetAssociations for the 82 built-in extensions, in this process.
int SetAssociationsSteps() {
    instanceHandle = GetModuleHandleW(nullptr);
    CoInitialize(nullptr);
    RootWindow* const root = RootWindow::Create();
    MainWindowAccess window(*root);
    window.BuildCatalogue();
    double mark = Now();
    RegistrationKeys keys;
    int failed = 0;
    for (const auto& item : window.catalogue) {
        const ExtensionEntry& entry = item.second;
        failed += RegisterExtension(keys, entry.extension, entry.iconFile, entry.iconIndex,
                                    window.playerPath, true)
                      ? 0
                      : 1;
    }
    const double extensions = Now() - mark;
    mark = Now();
    failed += RegisterApplication(window.playerPath) ? 0 : 1;
    DefaultAppsPageFor(RunningWindowsVersion());
    const double application = Now() - mark;
    mark = Now();
    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
    const double notify = Now() - mark;
    boxHook = SetWindowsHookExW(WH_CBT, AnswerBox, nullptr, GetCurrentThreadId());
    mark = Now();
    MessageBoxW(window.hwnd, L"82 selected extensions have been registered.", L"Success",
                MB_OK | MB_ICONINFORMATION);
    UnhookWindowsHookEx(boxHook);
    std::printf("%.1f %.1f %.1f %.1f %d\n", extensions, application, notify, boxShown - mark,
                failed);
    DestroyWindow(window.hwnd);
    return failed == 0 ? 0 : 1;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring mode = argc > 1 ? argv[1] : L"";
    if (mode == L"startup" && argc > 5) {
        return StartUp(argv[2], argv[3], argv[4], std::max(1, _wtoi(argv[5])));
    }
    if (mode == L"startup-steps" && argc > 2) {
        return StartUpSteps(argv[2]);
    }
    if (mode == L"set-associations" && argc > 2) {
        return SetAssociations(argv[2]);
    }
    if (mode == L"set-associations-steps") {
        return SetAssociationsSteps();
    }
    std::fprintf(stderr, "usage: app_bench startup TOOL EMPTY LIST ROUNDS | startup-steps FILE | "
                         "set-associations TOOL | set-associations-steps\n");
    return 2;
}
