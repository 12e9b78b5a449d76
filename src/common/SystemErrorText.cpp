#include "common/SystemErrorText.h"

#include "common/UniqueHandle.h"

std::wstring SystemErrorText(DWORD code) {
    wchar_t* buffer = nullptr;
    // The texts may hold inserts such as %1: without arguments to fill them from, they must stay
    // as they are.
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    const UniqueLocalMemory<wchar_t> text(buffer);
    return length != 0 && text ? std::wstring(text.get(), length) : std::wstring();
}

std::wstring SystemErrorPhrase(DWORD code) {
    std::wstring text = SystemErrorText(code);
    // Only the line end goes: a text that lacks one keeps all its characters.
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r')) {
        text.pop_back();
    }
    return text;
}
