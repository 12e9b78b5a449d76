#include "support/e2e/AppDriver.h"

#include "support/MessageBoxWatcher.h"
#include "support/TestFolder.h"

#include <commctrl.h>

#include <algorithm>
#include <iterator>
#include <thread>

namespace {

const wchar_t kMainWindowClass[] = L"VTFileAssocRootWnd";

// A block of memory in another process, freed with the object.
class RemoteBlock {
public:
    RemoteBlock(HANDLE process, SIZE_T size)
        : process(process), address(VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE,
                                                   PAGE_READWRITE)) {}
    ~RemoteBlock() {
        if (address != nullptr) {
            VirtualFreeEx(process, address, 0, MEM_RELEASE);
        }
    }
    RemoteBlock(const RemoteBlock&) = delete;
    RemoteBlock& operator=(const RemoteBlock&) = delete;

    bool Valid() const { return address != nullptr; }
    char* At(SIZE_T offset) const { return static_cast<char*>(address) + offset; }
    bool Write(SIZE_T offset, const void* data, SIZE_T size) const {
        return WriteProcessMemory(process, At(offset), data, size, nullptr) != 0;
    }
    bool Read(SIZE_T offset, void* data, SIZE_T size) const {
        return ReadProcessMemory(process, At(offset), data, size, nullptr) != 0;
    }

private:
    HANDLE process;
    void* address;
};

std::wstring QuoteArgument(const std::wstring& argument) {
    std::wstring quoted = L"\"";
    for (wchar_t c : argument) {
        if (c == L'"') {
            quoted += L'\\';
        }
        quoted += c;
    }
    return quoted + L"\"";
}

} // namespace

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    for (const ULONGLONG deadline = GetTickCount64() + timeoutMs; !condition(); Sleep(10)) {
        if (GetTickCount64() >= deadline) {
            return false;
        }
    }
    return true;
}

std::wstring WindowsPathOfHostFile(const std::string& hostPath) {
    std::wstring path = L"Z:";
    for (char c : hostPath) {
        path += c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(c));
    }
    return path;
}

namespace {

// Starts the program as the command line says; under load Wine has been seen to refuse a process
// now and then, so the start is tried a few times.
bool StartProcess(const std::wstring& program, std::wstring commandLine, STARTUPINFOW& startup,
                  const wchar_t* currentDirectory, PROCESS_INFORMATION& info) {
    const BOOL inherit = (startup.dwFlags & STARTF_USESTDHANDLES) != 0;
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, inherit, 0,
                           nullptr, currentDirectory, &startup, &info)) {
            return true;
        }
        Sleep(500);
    }
    return false;
}

// Waits for the started process to end, ending it when the time runs out (exit code 1), and
// returns its exit code; `ended` tells whether it ended by itself.
DWORD WaitForProcess(PROCESS_INFORMATION& info, DWORD timeoutMs, bool& ended) {
    ended = WaitForSingleObject(info.hProcess, timeoutMs) == WAIT_OBJECT_0;
    if (!ended) {
        TerminateProcess(info.hProcess, 1);
        WaitForSingleObject(info.hProcess, 5000);
    }
    DWORD exitCode = 0xFFFFFFFF;
    GetExitCodeProcess(info.hProcess, &exitCode);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return exitCode;
}

} // namespace

DWORD RunToExit(const std::wstring& program, const std::wstring& arguments, DWORD timeoutMs,
                bool keepOutput) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    if (!keepOutput) {
        startup.dwFlags = STARTF_USESTDHANDLES; // all of them none
    }
    PROCESS_INFORMATION info = {};
    bool ended = false;
    return StartProcess(program, L"\"" + program + L"\" " + arguments, startup, nullptr, info)
               ? WaitForProcess(info, timeoutMs, ended)
               : 0xFFFFFFFF;
}

namespace {

// The read end of a pipe whose write end a child inherits, drained by a thread of its own so
// that the child never waits for room in it.
class OutputPipe {
public:
    OutputPipe() {
        SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
        if (CreatePipe(&read, &write, &inherit, 0)) {
            SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
        }
    }
    ~OutputPipe() {
        CloseWriteEnd();
        if (reader.joinable()) {
            reader.join();
        }
        if (read != nullptr) {
            CloseHandle(read);
        }
    }
    OutputPipe(const OutputPipe&) = delete;
    OutputPipe& operator=(const OutputPipe&) = delete;

    HANDLE WriteEnd() const { return write; }
    // Once the child has its copy of the write end: reads until the child closes it.
    void StartReading() {
        CloseWriteEnd();
        reader = std::thread([this] {
            char buffer[4096];
            DWORD got = 0;
            while (ReadFile(read, buffer, sizeof(buffer), &got, nullptr) && got > 0) {
                text.append(buffer, got);
            }
        });
    }
    std::string Finish() {
        if (reader.joinable()) {
            reader.join();
        }
        return text;
    }

private:
    void CloseWriteEnd() {
        if (write != nullptr) {
            CloseHandle(write);
            write = nullptr;
        }
    }

    HANDLE read = nullptr;
    HANDLE write = nullptr;
    std::thread reader;
    std::string text;
};

} // namespace

ProgramOutput RunWithOutput(const std::wstring& program, const std::wstring& arguments,
                            const std::wstring& currentDirectory, DWORD timeoutMs) {
    OutputPipe out, err;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = out.WriteEnd();
    startup.hStdError = err.WriteEnd();
    PROCESS_INFORMATION info = {};
    ProgramOutput result;
    if (!StartProcess(program, QuoteArgument(program) + L" " + arguments, startup,
                      currentDirectory.c_str(), info)) {
        return result;
    }
    out.StartReading();
    err.StartReading();
    result.exitCode = WaitForProcess(info, timeoutMs, result.endedByItself);
    result.out = out.Finish();
    result.err = err.Finish();
    return result;
}

DWORD RunTests(const std::wstring& program, const std::wstring& filter, DWORD timeoutMs,
               bool keepOutput) {
    return RunToExit(program, L"--gtest_brief=1 --gtest_filter=" + filter, timeoutMs, keepOutput);
}

ProgramCopy::ProgramCopy(const std::wstring& program, const std::wstring& name,
                         const wchar_t* version)
    : defaults(L"Software\\Wine\\AppDefaults\\" + name) {
    path = TempPath(name);
    copied = CopyFileW(program.c_str(), path.c_str(), FALSE) != 0;
    // The player that the copies' registrations point at, shared by them all.
    CloseHandle(CreateFileW(TempPath(L"vtplayer.exe").c_str(), GENERIC_WRITE, 0, nullptr,
                            OPEN_ALWAYS, 0, nullptr));
    const DWORD bytes = static_cast<DWORD>((wcslen(version) + 1) * sizeof(wchar_t));
    configured = RegSetKeyValueW(HKEY_CURRENT_USER, defaults.c_str(), L"Version", REG_SZ, version,
                                 bytes) == ERROR_SUCCESS;
}

ProgramCopy::~ProgramCopy() {
    RegDeleteTreeW(HKEY_CURRENT_USER, defaults.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, defaults.c_str());
    DeleteFileW(path.c_str());
}

bool ProgramCopy::PreferNativeDll(const wchar_t* dll) const {
    const wchar_t order[] = L"native,builtin";
    return RegSetKeyValueW(HKEY_CURRENT_USER, (defaults + L"\\DllOverrides").c_str(), dll, REG_SZ,
                           order, sizeof(order)) == ERROR_SUCCESS;
}

AppDriver::~AppDriver() {
    if (process == nullptr) {
        return;
    }
    DWORD exitCode = 0;
    if (WaitForSingleObject(process, 0) == WAIT_TIMEOUT) {
        Close();
        if (!WaitForExit(5000, exitCode)) {
            TerminateProcess(process, 255);
            WaitForSingleObject(process, 5000);
        }
    }
    CloseHandle(process);
}

bool AppDriver::Start(const std::wstring& program, const std::vector<std::wstring>& arguments,
                      const std::wstring& currentDirectory) {
    std::wstring commandLine = QuoteArgument(program);
    for (const std::wstring& argument : arguments) {
        commandLine += L" " + QuoteArgument(argument);
    }
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        currentDirectory.empty() ? nullptr : currentDirectory.c_str(), &startup,
                        &info)) {
        return false;
    }
    CloseHandle(info.hThread);
    process = info.hProcess;
    processId = info.dwProcessId;
    return true;
}

bool AppDriver::Attach(DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    HWND found = nullptr;
    while ((found = FindProcessWindow(kMainWindowClass)) == nullptr) {
        if (GetTickCount64() >= deadline) {
            return false;
        }
        Sleep(2);
    }
    DWORD id = 0;
    GetWindowThreadProcessId(found, &id);
    process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_OPERATION | PROCESS_VM_READ |
                              PROCESS_VM_WRITE | PROCESS_TERMINATE | SYNCHRONIZE,
                          FALSE, id);
    if (process == nullptr) {
        return false;
    }
    processId = id;
    window = found;
    return true;
}

HWND AppDriver::WaitForWindow(DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while ((window = FindProcessWindow(kMainWindowClass, processId)) == nullptr) {
        if (GetTickCount64() >= deadline || WaitForSingleObject(process, 0) == WAIT_OBJECT_0) {
            return nullptr;
        }
        Sleep(2);
    }
    return window;
}

HWND AppDriver::Control(int id) const {
    return window != nullptr ? GetDlgItem(window, id) : nullptr;
}

LRESULT AppDriver::Send(HWND target, UINT message, WPARAM wParam, LPARAM lParam) const {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(target, message, wParam, lParam, SMTO_ABORTIFHUNG, 10000, &result)) {
        return 0;
    }
    return static_cast<LRESULT>(result);
}

bool AppDriver::WaitForRowCount(int rows, DWORD timeoutMs) const {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (RowCount() != rows) {
        if (GetTickCount64() >= deadline) {
            return false;
        }
        Sleep(2);
    }
    return true;
}

int AppDriver::RowCount() const {
    const HWND list = Control(0);
    return list != nullptr ? static_cast<int>(Send(list, LVM_GETITEMCOUNT, 0, 0)) : 0;
}

std::wstring AppDriver::RowText(int row) const {
    constexpr SIZE_T kTextChars = 260;
    RemoteBlock block(process, sizeof(LVITEMW) + kTextChars * sizeof(wchar_t));
    if (!block.Valid()) {
        return {};
    }
    LVITEMW item = {};
    item.iSubItem = 0;
    item.pszText = reinterpret_cast<LPWSTR>(block.At(sizeof(LVITEMW)));
    item.cchTextMax = static_cast<int>(kTextChars);
    block.Write(0, &item, sizeof(item));
    const auto length =
        static_cast<SIZE_T>(Send(Control(0), LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                                 reinterpret_cast<LPARAM>(block.At(0))));
    std::wstring text(std::min(length, kTextChars - 1), L'\0');
    if (!text.empty()) {
        block.Read(sizeof(LVITEMW), text.data(), text.size() * sizeof(wchar_t));
    }
    return text;
}

std::vector<std::wstring> AppDriver::RowTexts() const {
    std::vector<std::wstring> texts;
    for (int row = 0, rows = RowCount(); row < rows; ++row) {
        texts.push_back(RowText(row));
    }
    return texts;
}

int AppDriver::FindRow(const std::wstring& text) const {
    for (int row = 0, rows = RowCount(); row < rows; ++row) {
        if (RowText(row) == text) {
            return row;
        }
    }
    return -1;
}

bool AppDriver::IsRowChecked(int row) const {
    const auto state = static_cast<UINT>(
        Send(Control(0), LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_STATEIMAGEMASK));
    return (state & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2);
}

RECT AppDriver::RowBounds(int row) const {
    RECT bounds = {};
    RemoteBlock block(process, sizeof(RECT));
    if (!block.Valid()) {
        return bounds;
    }
    RECT request = {};
    request.left = LVIR_BOUNDS;
    if (!block.Write(0, &request, sizeof(request)) ||
        !Send(Control(0), LVM_GETITEMRECT, static_cast<WPARAM>(row),
              reinterpret_cast<LPARAM>(block.At(0)))) {
        return bounds;
    }
    block.Read(0, &bounds, sizeof(bounds));
    return bounds;
}

bool AppDriver::SetRowChecked(int row, bool checked) {
    RemoteBlock block(process, sizeof(LVITEMW));
    if (!block.Valid()) {
        return false;
    }
    LVITEMW item = {};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
    if (!block.Write(0, &item, sizeof(item))) {
        return false;
    }
    return Send(Control(0), LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                reinterpret_cast<LPARAM>(block.At(0))) != 0;
}

bool AppDriver::ChooseFromListMenu(int downPresses) {
    // The notification lives in the program's memory until the menu is gone: the window reads it
    // before it shows the menu and not after.
    RemoteBlock block(process, sizeof(NMITEMACTIVATE));
    NMITEMACTIVATE click = {};
    click.hdr.hwndFrom = Control(0);
    click.hdr.idFrom = 0;
    click.hdr.code = static_cast<UINT>(NM_RCLICK);
    if (!block.Valid() || !block.Write(0, &click, sizeof(click))) {
        return false;
    }
    PostMessageW(window, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(block.At(0)));
    HWND menu = nullptr;
    for (const ULONGLONG deadline = GetTickCount64() + 20000;
         menu == nullptr && GetTickCount64() < deadline; Sleep(20)) {
        menu = FindProcessWindow(L"#32768", processId);
    }
    if (menu == nullptr) {
        return false;
    }
    std::vector<WPARAM> keys(static_cast<std::size_t>(downPresses), VK_DOWN);
    keys.push_back(VK_RETURN);
    for (const WPARAM key : keys) {
        PostMessageW(menu, WM_KEYDOWN, key, 0);
        PostMessageW(menu, WM_KEYUP, key, 0xC0000001);
        Sleep(50);
    }
    for (const ULONGLONG deadline = GetTickCount64() + 20000;
         IsWindow(menu) && IsWindowVisible(menu) && GetTickCount64() < deadline; Sleep(20)) {
    }
    return true;
}

bool AppDriver::PressKeys(std::initializer_list<WORD> keys) const {
    SetForegroundWindow(window);
    std::vector<INPUT> inputs;
    for (const WORD key : keys) {
        INPUT input = {};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key;
        inputs.push_back(input);
    }
    for (auto key = std::rbegin(keys); key != std::rend(keys); ++key) {
        INPUT input = {};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = *key;
        input.ki.dwFlags = KEYEVENTF_KEYUP;
        inputs.push_back(input);
    }
    return SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) ==
           inputs.size();
}

HWND AppDriver::FocusedControl() const {
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) {
        return nullptr;
    }
    return info.hwndFocus;
}

int AppDriver::FocusedRow() const {
    return static_cast<int>(
        Send(Control(0), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
}

int AppDriver::SelectedRowCount() const {
    return static_cast<int>(Send(Control(0), LVM_GETSELECTEDCOUNT, 0, 0));
}

void AppDriver::ClickButton(int id) const {
    PostMessageW(Control(id), BM_CLICK, 0, 0);
}

bool AppDriver::Deliver(HWND target, UINT message, WPARAM wParam, LPARAM lParam) const {
    DWORD_PTR result = 0;
    return target != nullptr && SendMessageTimeoutW(target, message, wParam, lParam,
                                                    SMTO_ABORTIFHUNG, 5000, &result) != 0;
}

bool AppDriver::PressButton(int id) const {
    return Deliver(Control(id), BM_CLICK, 0, 0);
}

bool AppDriver::RequestClose(bool systemCommand) const {
    return systemCommand ? Deliver(window, WM_SYSCOMMAND, SC_CLOSE, 0)
                         : Deliver(window, WM_CLOSE, 0, 0);
}

bool AppDriver::IsButtonChecked(int id) const {
    return Send(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void AppDriver::Close() const {
    if (window != nullptr) {
        PostMessageW(window, WM_CLOSE, 0, 0);
    }
}

bool AppDriver::WaitForExit(DWORD timeoutMs, DWORD& exitCode) {
    if (process == nullptr || WaitForSingleObject(process, timeoutMs) != WAIT_OBJECT_0) {
        return false;
    }
    return GetExitCodeProcess(process, &exitCode) != 0;
}
