#include "support/MessageBoxWatcher.h"

#include <algorithm>

namespace {

constexpr int messageTextId = 0xFFFF; // the static control that holds a message box's text
constexpr int messageIconId = 0x0440; // the static control that shows its icon

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

struct ChildScan {
    std::vector<int> buttons;
    bool hasInputControls = false;
};

BOOL CALLBACK ScanChild(HWND child, LPARAM param) {
    auto* scan = reinterpret_cast<ChildScan*>(param);
    const std::wstring cls = ClassOf(child);
    if (cls == L"Edit" || cls == L"ComboBox" || cls == L"ComboBoxEx32" || cls == L"SysListView32")
        scan->hasInputControls = true;
    if (cls == L"Button" && IsWindowVisible(child)) {
        const int id = GetDlgCtrlID(child);
        if (id >= IDOK && id <= IDCONTINUE)
            scan->buttons.push_back(id);
    }
    return TRUE;
}

UINT IconOf(HWND dialog, bool& known) {
    HWND iconControl = GetDlgItem(dialog, messageIconId);
    known = false;
    if (!iconControl)
        return 0;
    DWORD owner = 0;
    GetWindowThreadProcessId(dialog, &owner);
    if (owner != GetCurrentProcessId())
        return 0;
    known = true;
    const auto icon = reinterpret_cast<HICON>(SendMessageW(iconControl, STM_GETICON, 0, 0));
    if (!icon || !IsWindowVisible(iconControl))
        return 0;
    const struct {
        LPCWSTR id;
        UINT style;
    } icons[] = {{IDI_HAND, MB_ICONERROR},
                 {IDI_EXCLAMATION, MB_ICONWARNING},
                 {IDI_ASTERISK, MB_ICONINFORMATION},
                 {IDI_QUESTION, MB_ICONQUESTION}};
    for (const auto& candidate : icons) {
        if (LoadIconW(nullptr, candidate.id) == icon)
            return candidate.style;
    }
    known = false;
    return 0;
}

} // namespace

UINT MessageBoxInfo::Style() const {
    auto has = [this](int id) {
        return std::find(buttons.begin(), buttons.end(), id) != buttons.end();
    };
    UINT style = MB_OK;
    if (has(IDABORT) && has(IDRETRY) && has(IDIGNORE))
        style = MB_ABORTRETRYIGNORE;
    else if (has(IDYES) && has(IDNO))
        style = has(IDCANCEL) ? MB_YESNOCANCEL : MB_YESNO;
    else if (has(IDRETRY) && has(IDCANCEL))
        style = MB_RETRYCANCEL;
    else if (has(IDOK) && has(IDCANCEL))
        style = MB_OKCANCEL;
    return style | icon;
}

int MessageBoxWatcher::PressFirstButton(const MessageBoxInfo& box) {
    return box.buttons.empty() ? IDOK : box.buttons.front();
}

MessageBoxWatcher::MessageBoxWatcher(Answer answerBox, DWORD process)
    : answer(std::move(answerBox)), processId(process), worker([this] { Run(); }) {}

MessageBoxWatcher::~MessageBoxWatcher() {
    stopping = true;
    worker.join();
}

std::vector<MessageBoxInfo> MessageBoxWatcher::Seen() const {
    std::lock_guard<std::mutex> guard(lock);
    return seen;
}

bool MessageBoxWatcher::WaitForCount(std::size_t count, DWORD timeoutMs) const {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        {
            std::lock_guard<std::mutex> guard(lock);
            if (seen.size() >= count)
                return true;
        }
        if (GetTickCount64() >= deadline)
            return false;
        Sleep(10);
    }
}

void MessageBoxWatcher::Run() {
    while (!stopping) {
        struct Search {
            DWORD processId;
            std::vector<HWND> dialogs;
        } search{processId, {}};
        EnumWindows(
            [](HWND window, LPARAM param) -> BOOL {
                auto* s = reinterpret_cast<Search*>(param);
                DWORD owner = 0;
                GetWindowThreadProcessId(window, &owner);
                if (owner == s->processId && IsWindowVisible(window) &&
                    ClassOf(window) == L"#32770")
                    s->dialogs.push_back(window);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        for (HWND dialog : search.dialogs)
            Inspect(dialog);
        {
            // Forget boxes that are gone, so a later box that reuses the handle is seen too.
            std::lock_guard<std::mutex> guard(lock);
            for (auto it = answered.begin(); it != answered.end();)
                it = IsWindow(*it) ? std::next(it) : answered.erase(it);
        }
        Sleep(10);
    }
}

void MessageBoxWatcher::Inspect(HWND dialog) {
    {
        std::lock_guard<std::mutex> guard(lock);
        if (answered.count(dialog))
            return;
    }
    ChildScan scan;
    EnumChildWindows(dialog, ScanChild, reinterpret_cast<LPARAM>(&scan));
    if (scan.hasInputControls || !GetDlgItem(dialog, messageTextId))
        return; // another kind of dialog, such as the open-file dialog
    MessageBoxInfo box;
    // A box whose thread is still busy (the first box of a program in a new Wine prefix can take
    // seconds) is read again on the next round rather than taken as one without texts.
    if (!ReadWindowText(dialog, box.caption) ||
        !ReadWindowText(GetDlgItem(dialog, messageTextId), box.text)) {
        return;
    }
    std::sort(scan.buttons.begin(), scan.buttons.end());
    box.buttons = scan.buttons;
    box.icon = IconOf(dialog, box.iconKnown);
    box.owner = GetWindow(dialog, GW_OWNER);

    const int button = answer(box);
    {
        std::lock_guard<std::mutex> guard(lock);
        answered.insert(dialog);
        seen.push_back(box);
    }
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
}

HWND FindProcessWindow(const wchar_t* className, DWORD processId) {
    struct Search {
        const wchar_t* className;
        DWORD processId;
        HWND found;
    } search{className, processId, nullptr};
    EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<Search*>(param);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if ((s->processId == 0 || owner == s->processId) && IsWindowVisible(window) &&
                ClassOf(window) == s->className) {
                s->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool ReadWindowText(HWND window, std::wstring& text) {
    text.clear();
    DWORD_PTR length = 0;
    if (!window ||
        !SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length))
        return false;
    text.assign(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]),
                             SMTO_ABORTIFHUNG, 5000, &copied)) {
        text.clear();
        return false;
    }
    text.resize(copied);
    return true;
}

std::wstring WindowText(HWND window) {
    std::wstring text;
    ReadWindowText(window, text);
    return text;
}
