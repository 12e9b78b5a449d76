#include "registry/Win32Exception.h"

#include "common/SystemErrorText.h"

std::wstring CWin32Exception::GetErrorMessage() const {
    std::wstring text = SystemErrorText(error);
    if (text.empty()) {
        text = SystemErrorText(GetLastError());
    }
    return text.empty() ? L"Error " + std::to_wstring(error) : text;
}
