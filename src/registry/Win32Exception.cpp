#include "registry/Win32Exception.h"

namespace {

// Formats the system's message for one code; false when the system has none.
bool FormatSystemMessage(DWORD code, std::wstring& text) {
    // Inserts ("%1") are left as they are: the message has no arguments to fill them from.
    wchar_t buffer[512] = {};
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, code, 0, buffer, 511, nullptr);
    if (length == 0) {
        return false;
    }
    text.assign(buffer, length);
    return true;
}

} // namespace

std::wstring CWin32Exception::GetErrorMessage() const {
    std::wstring text;
    if (FormatSystemMessage(error, text)) {
        return text;
    }
    if (FormatSystemMessage(GetLastError(), text)) {
        return text;
    }
    return L"Error " + std::to_wstring(error);
}
