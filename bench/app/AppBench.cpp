// Benchmark helper for scripts/bench.d/40-app; not run by CTest.
//   startup TOOL EMPTY LIST PLAIN ROUNDS
//                               time from process start until the tool's list holds its rows,
//                               with 82, 1,082 and 5,082 rows (the extra types come from an IDF
//                               file named on the command line, each naming the player's icon),
//                               against the floor of its design, LIST showing as many text rows
//                               (the tool's manifest and libraries), the same window written the
//                               plain way, PLAIN showing as many rows with check boxes and the
//                               player's icon, and an empty Win32 window shown by EMPTY, in turn;
//                               prints minimum and median of each, the ratios (targets against
//                               the floor: at most 1.3 with 82 rows, 1.5 with 5,082; the others
//                               for information) and where the time goes: the start-up steps run
//                               in a fresh process of this program ROUNDS times (startup-steps).
//   startup-steps FILE [IDF]    the tool's start-up sequence in this process, each step timed,
//                               with the IDF file loaded as from the command line; the times go
//                               to FILE.
//   make-idf FILE ROWS ICONFILE writes an IDF file of ROWS - 82 extra types naming ICONFILE
//                               (index 0), for startup-steps by hand.
//   refresh TOOL ROUNDS         the return to the tool's window (WM_ACTIVATE away and back) with
//                               82 and 5,082 rows: the time of the return with nothing changed
//                               and after a value under HKCU\Software\Classes changed while the
//                               window was inactive, in a process of this program that builds the
//                               window as the tool does (refresh-steps; target at 5,082 rows:
//                               unchanged / changed at most 0.05), and for information sent to
//                               the running tool from here, with a message's round trip alone.
//   refresh-steps FILE ROUNDS [IDF]
//                               the returns in this process; the times go to FILE.
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

// The start-up figures: the rows the tool shows, and the target of its start-up against the floor
// (0: a figure for information).
struct RowCase {
    int rows;
    double target;
};
constexpr RowCase kRowCases[] = {{82, 1.3}, {1082, 0}, {5082, 1.5}};
constexpr int kBuiltInRows = 82;
// The target of the return to the window with nothing changed against one after a change.
constexpr double kRefreshTarget = 0.05;

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

std::string Thousands(int number) {
    std::string text = std::to_string(number);
    for (int at = static_cast<int>(text.size()) - 3; at > 0; at -= 3) {
        text.insert(static_cast<std::size_t>(at), ",");
    }
    return text;
}

// Prints a figure with its target, "met" or "MISSED"; returns whether it was met.
bool PrintFigure(const std::string& name, const std::vector<double>& ours,
                 const std::vector<double>& theirs, double target) {
    const double ratio = Median(ours) / Median(theirs);
    std::printf("=> %s: %.3f (of the minimums %.3f)", name.c_str(), ratio,
                Minimum(ours) / Minimum(theirs));
    if (target <= 0) {
        std::printf("\n");
        return true;
    }
    std::printf(" (target: at most %.2f) %s\n", target, ratio <= target ? "met" : "MISSED");
    return ratio <= target;
}

// An IDF file of the extra types beyond the built-in rows, each naming the icon file (index 0).
bool WriteIdfFile(const std::wstring& path, int rows, const std::wstring& iconFile) {
    FILE* out = _wfopen(path.c_str(), L"wb");
    if (out == nullptr) {
        return false;
    }
    for (int row = kBuiltInRows; row < rows; ++row) {
        std::fprintf(out, "AddExt(ext=vtb%05d,file=%ls,index=0)\r\n", row, iconFile.c_str());
    }
    return std::fclose(out) == 0;
}

// The IDF file for the rows as a command line's arguments; none for the built-in rows alone.
std::vector<std::wstring> IdfArguments(int rows, const std::wstring& iconFile) {
    if (rows <= kBuiltInRows) {
        return {};
    }
    const std::wstring path = TempPath(L"vt-bench-" + std::to_wstring(rows) + L".idf");
    return {WriteIdfFile(path, rows, iconFile) ? path : L"?"};
}

// The player beside the tool, whose icon the built-in rows show.
std::wstring PlayerBeside(const std::wstring& tool) {
    return tool.substr(0, tool.rfind(L'\\') + 1) + L"vtplayer.exe";
}

// One start: the time until ready() holds, or a negative value on failure.
template <class Ready>
double TimeStart(const std::wstring& program, const std::vector<std::wstring>& arguments,
                 Ready ready) {
    AppDriver app;
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    if (!app.Start(program, arguments) || !ready(app)) {
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
    "IDF file load",
    "icon extraction",
    "list fill",
    "association marks (registry, overlays)",
    "fitting (with the list's first paint)",
};
constexpr int kSteps = sizeof(kStepNames) / sizeof(kStepNames[0]);
constexpr int kMarksStep = 9;

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

// The start-up sequence of RunProgram in this process, with the IDF file when there is one;
// step() after each step.
template <class Step> RootWindow* BuildMainWindow(const wchar_t* idf, Step step) {
    instanceHandle = GetModuleHandleW(nullptr);
    CheckWindowsVersion();
    CoInitialize(nullptr);
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    step();
    RootWindow* const root = RootWindow::Create();
    MainWindowAccess window(*root);
    step();
    ShowWindow(window.hwnd, SW_SHOWNORMAL);
    step();
    window.BuildCatalogue();
    window.BuildKnownVideoSet();
    window.BuildKnownAudioSet();
    step();
    window.ProbeRegisteredIcons();
    step();
    if (idf != nullptr) {
        window.window.LoadIdfFile(idf);
    }
    step();
    const std::vector<int> images = window.AddRowImages();
    step();
    window.AddExtensionRows(images);
    step();
    window.ShowAssociationMarks();
    step();
    window.FitWindowToList();
    step();
    return root;
}

bool WriteValues(const wchar_t* file, const std::vector<double>& values) {
    FILE* out = _wfopen(file, L"w");
    if (out == nullptr) {
        return false;
    }
    for (double value : values) {
        std::fprintf(out, "%f\n", value);
    }
    return std::fclose(out) == 0;
}

// Runs this program in a fresh process with the arguments (the file where it writes its values
// first); the values it wrote, none on failure.
std::vector<double> RunInChild(const std::vector<std::wstring>& arguments) {
    const std::wstring file = TempPath(L"vt-bench-values.txt");
    std::vector<std::wstring> command = {arguments.front(), file};
    command.insert(command.end(), arguments.begin() + 1, arguments.end());
    AppDriver app;
    DWORD exitCode = 1;
    std::vector<double> values;
    if (!app.Start(ThisProgram(), command) || !app.WaitForExit(120000, exitCode) || exitCode != 0) {
        return values;
    }
    if (FILE* in = _wfopen(file.c_str(), L"r")) {
        double value = 0;
        while (std::fscanf(in, "%lf", &value) == 1) {
            values.push_back(value);
        }
        std::fclose(in);
    }
    DeleteFileW(file.c_str());
    return values;
}

// The start-up sequence with each step timed; the times go to the file.
int StartUpSteps(const wchar_t* file, const wchar_t* idf) {
    std::vector<double> times = {SinceProcessStart()};
    double mark = Now();
    BuildMainWindow(idf, [&]() {
        const double now = Now();
        times.push_back(now - mark);
        mark = now;
    });
    return WriteValues(file, times) ? 0 : 1;
}

// Runs startup-steps in a fresh process of this program; adds each step's times.
bool RunStartUpSteps(const std::vector<std::wstring>& idf, std::vector<double> (&steps)[kSteps]) {
    std::vector<std::wstring> arguments = {L"startup-steps"};
    arguments.insert(arguments.end(), idf.begin(), idf.end());
    const std::vector<double> times = RunInChild(arguments);
    if (times.size() != kSteps) {
        return false;
    }
    for (int i = 0; i < kSteps; ++i) {
        steps[i].push_back(times[static_cast<std::size_t>(i)]);
    }
    return true;
}

// Waits until a window of the class in the started process shows a list of the rows, then closes
// it.
bool WaitForListWindow(AppDriver& app, const wchar_t* windowClass, int rows) {
    const ULONGLONG deadline = GetTickCount64() + 180000;
    for (;;) {
        const HWND window = FindProcessWindow(windowClass, app.ProcessId());
        const HWND list =
            window != nullptr ? FindWindowExW(window, nullptr, WC_LISTVIEWW, nullptr) : nullptr;
        if (list != nullptr && SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) == rows) {
            PostMessageW(window, WM_CLOSE, 0, 0);
            return true;
        }
        if (GetTickCount64() > deadline) {
            return false;
        }
        Sleep(1);
    }
}

bool WaitForEmptyWindow(AppDriver& app) {
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
}

int StartUp(const std::wstring& tool, const std::wstring& empty, const std::wstring& list,
            const std::wstring& plain, int rounds) {
    bool met = true;
    for (const RowCase& rowCase : kRowCases) {
        const int rows = rowCase.rows;
        const std::vector<std::wstring> idf = IdfArguments(rows, PlayerBeside(tool));
        std::vector<double> ours, baseline, floor, plainWay;
        std::vector<double> steps[kSteps];
        for (int round = 0; round < rounds; ++round) {
            const double empties = TimeStart(empty, {}, WaitForEmptyWindow);
            const double tools = TimeStart(tool, idf, [rows](AppDriver& app) {
                return app.WaitForWindow(60000) != nullptr && app.WaitForRowCount(rows, 60000);
            });
            const double lists = TimeStart(list, {std::to_wstring(rows)}, [rows](AppDriver& app) {
                return WaitForListWindow(app, L"VTBenchListWnd", rows);
            });
            const double plains = TimeStart(
                plain, {std::to_wstring(rows), PlayerBeside(tool)}, [rows](AppDriver& app) {
                    return WaitForListWindow(app, L"VTBenchPlainWnd", rows);
                });
            if (empties < 0 || tools < 0 || lists < 0 || plains < 0 ||
                !RunStartUpSteps(idf, steps)) {
                std::fprintf(stderr, "a program did not show its window with %d rows\n", rows);
                return 1;
            }
            baseline.push_back(empties);
            ours.push_back(tools);
            floor.push_back(lists);
            plainWay.push_back(plains);
        }
        const std::string count = Thousands(rows);
        std::printf("start-up with %s rows, %d rounds; ms: minimum / median\n", count.c_str(),
                    rounds);
        std::printf("  the tool until its list shows the rows %8.1f / %8.1f\n", Minimum(ours),
                    Median(ours));
        std::printf("  as many text rows, its manifest/DLLs   %8.1f / %8.1f\n", Minimum(floor),
                    Median(floor));
        std::printf("  the plain way, check boxes and icons   %8.1f / %8.1f\n", Minimum(plainWay),
                    Median(plainWay));
        std::printf("  an empty Win32 window until it shows   %8.1f / %8.1f\n", Minimum(baseline),
                    Median(baseline));
        std::printf("  where the tool's time goes (its steps in a process of the benchmark):\n");
        double sum = 0;
        for (int i = 0; i < kSteps; ++i) {
            std::printf("    %-42s %8.1f / %8.1f\n", kStepNames[i], Minimum(steps[i]),
                        Median(steps[i]));
            sum += Median(steps[i]);
        }
        std::printf("    %-42s %8.1f\n", "sum of the medians", sum);
        std::printf("    %-42s %5.1f %%\n", "association marks, share of the sum",
                    100.0 * Median(steps[kMarksStep]) / sum);
        met =
            PrintFigure("start-up tool / floor, " + count + " rows", ours, floor, rowCase.target) &&
            met;
        PrintFigure("start-up tool / plain window with check boxes and icons, " + count + " rows",
                    ours, plainWay, 0);
        PrintFigure("start-up tool / empty window, " + count + " rows", ours, baseline, 0);
        if (!idf.empty()) {
            DeleteFileW(idf.front().c_str());
        }
    }
    return met ? 0 : 1;
}

// The scratch value that a change under Software\Classes writes, and its key.
const wchar_t kScratchKey[] = L"Software\\Classes\\VTBenchRefreshScratch";

bool ChangeScratchValue(DWORD value) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kScratchKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const LONG result = RegSetValueExW(key, L"round", 0, REG_DWORD,
                                       reinterpret_cast<const BYTE*>(&value), sizeof(value));
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

// One return to the window: away, then (after a change, when asked) back; the time of the
// return's round trip.
double TimeReturn(HWND window, bool change, DWORD round) {
    SendMessageW(window, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0), 0);
    if (change && !ChangeScratchValue(round)) {
        return -1;
    }
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    SendMessageW(window, WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 0), 0);
    QueryPerformanceCounter(&end);
    return Milliseconds(start, end);
}

// A message's round trip alone from this process to the window.
double TimeTransport(HWND window) {
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    SendMessageW(window, WM_NULL, 0, 0);
    QueryPerformanceCounter(&end);
    return Milliseconds(start, end);
}

// The returns to the tool's window built in this process, so that no message crosses between
// processes: for each round, the time with nothing changed, then after a change; to the file.
int RefreshSteps(const wchar_t* file, int rounds, const wchar_t* idf) {
    const HWND window = MainWindowAccess(*BuildMainWindow(idf, [] {})).hwnd;
    std::vector<double> times;
    for (int round = 0; round < rounds; ++round) {
        times.push_back(TimeReturn(window, false, 0));
        times.push_back(TimeReturn(window, true, static_cast<DWORD>(round)));
        if (times.back() < 0) {
            return 1;
        }
    }
    RegDeleteKeyW(HKEY_CURRENT_USER, kScratchKey);
    return WriteValues(file, times) ? 0 : 1;
}

int Refresh(const std::wstring& tool, int rounds) {
    bool met = true;
    for (const int rows : {82, 5082}) {
        const std::vector<std::wstring> idf = IdfArguments(rows, PlayerBeside(tool));
        // The running tool, from this process: Wine's message transport is in each time.
        AppDriver app;
        const HWND window = app.Start(tool, idf) ? app.WaitForWindow(60000) : nullptr;
        if (window == nullptr || !app.WaitForRowCount(rows, 60000)) {
            std::fprintf(stderr, "the tool did not show its %d rows\n", rows);
            return 1;
        }
        std::vector<double> unchanged, changed, transport;
        for (int round = 0; round < rounds; ++round) {
            unchanged.push_back(TimeReturn(window, false, 0));
            changed.push_back(TimeReturn(window, true, static_cast<DWORD>(round)));
            transport.push_back(TimeTransport(window));
            if (changed.back() < 0) {
                std::fprintf(stderr, "the scratch value could not be written\n");
                return 1;
            }
        }
        RegDeleteKeyW(HKEY_CURRENT_USER, kScratchKey);
        app.Close();
        DWORD exitCode = 0;
        app.WaitForExit(30000, exitCode);
        // The same window in a process of this program: the tool's own work alone.
        std::vector<std::wstring> arguments = {L"refresh-steps", std::to_wstring(rounds)};
        arguments.insert(arguments.end(), idf.begin(), idf.end());
        const std::vector<double> times = RunInChild(arguments);
        if (!idf.empty()) {
            DeleteFileW(idf.front().c_str());
        }
        if (times.size() != 2 * static_cast<std::size_t>(rounds)) {
            std::fprintf(stderr, "refresh-steps did not report its times\n");
            return 1;
        }
        std::vector<double> ownUnchanged, ownChanged;
        for (std::size_t i = 0; i < times.size(); i += 2) {
            ownUnchanged.push_back(times[i]);
            ownChanged.push_back(times[i + 1]);
        }
        const std::string count = Thousands(rows);
        std::printf("return to the window with %s rows, %d rounds; ms: minimum / median\n",
                    count.c_str(), rounds);
        std::printf("  in the tool's process: nothing changed          %8.3f / %8.3f\n",
                    Minimum(ownUnchanged), Median(ownUnchanged));
        std::printf("  in the tool's process: after a change in Classes %8.3f / %8.3f\n",
                    Minimum(ownChanged), Median(ownChanged));
        std::printf("  sent from another process: nothing changed      %8.3f / %8.3f\n",
                    Minimum(unchanged), Median(unchanged));
        std::printf("  sent from another process: after a change        %8.3f / %8.3f\n",
                    Minimum(changed), Median(changed));
        std::printf("  a message's round trip alone (WM_NULL)           %8.3f / %8.3f\n",
                    Minimum(transport), Median(transport));
        met = PrintFigure("return refresh unchanged / changed, " + count + " rows", ownUnchanged,
                          ownChanged, rows > kBuiltInRows ? kRefreshTarget : 0) &&
              met;
        PrintFigure("return refresh unchanged / changed, sent from another process, " + count +
                        " rows",
                    unchanged, changed, 0);
    }
    return met ? 0 : 1;
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
    window.AddExtensionRows(window.AddRowImages());
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
    mark = Now();
    window.ShowAssociationMarks();
    const double marks = Now() - mark;
    boxHook = SetWindowsHookExW(WH_CBT, AnswerBox, nullptr, GetCurrentThreadId());
    mark = Now();
    MessageBoxW(window.hwnd, L"82 selected extensions have been registered.", L"Success",
                MB_OK | MB_ICONINFORMATION);
    UnhookWindowsHookEx(boxHook);
    std::printf("%.1f %.1f %.1f %.1f %.1f %d\n", extensions, application, notify, marks,
                boxShown - mark, failed);
    DestroyWindow(window.hwnd);
    return failed == 0 ? 0 : 1;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring mode = argc > 1 ? argv[1] : L"";
    if (mode == L"startup" && argc > 6) {
        return StartUp(argv[2], argv[3], argv[4], argv[5], std::max(1, _wtoi(argv[6])));
    }
    if (mode == L"startup-steps" && argc > 2) {
        return StartUpSteps(argv[2], argc > 3 ? argv[3] : nullptr);
    }
    if (mode == L"make-idf" && argc > 4) {
        return WriteIdfFile(argv[2], _wtoi(argv[3]), argv[4]) ? 0 : 1;
    }
    if (mode == L"refresh-steps" && argc > 3) {
        return RefreshSteps(argv[2], std::max(1, _wtoi(argv[3])), argc > 4 ? argv[4] : nullptr);
    }
    if (mode == L"refresh" && argc > 3) {
        return Refresh(argv[2], std::max(1, _wtoi(argv[3])));
    }
    if (mode == L"set-associations" && argc > 2) {
        return SetAssociations(argv[2]);
    }
    if (mode == L"set-associations-steps") {
        return SetAssociationsSteps();
    }
    std::fprintf(
        stderr,
        "usage: app_bench startup TOOL EMPTY LIST PLAIN ROUNDS | startup-steps FILE [IDF] "
        "| make-idf FILE ROWS ICONFILE | refresh TOOL ROUNDS | refresh-steps FILE ROUNDS [IDF] | "
        "set-associations TOOL | set-associations-steps\n");
    return 2;
}
