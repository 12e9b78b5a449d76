#include "definitions/ErrorText.h"

#include "resource.h"
#include "common/SystemErrorText.h"

#include <cstring>
#include <vector>

thread_local std::unique_ptr<wchar_t[]> lastErrorText;

namespace {

// Size of the buffers for the loaded message and for the formatted text, in characters.
constexpr std::size_t MessageBufferChars = 8192;

} // namespace

void ErrorTextArg::AppendTo(std::wstring& out) const {
    if (isText) {
        out += text;
    } else {
        out += std::to_wstring(number);
    }
}

std::wstring FormatErrorText(const wchar_t* format, std::initializer_list<ErrorTextArg> args) {
    std::wstring out;
    auto next = args.begin();
    for (const wchar_t* p = format; *p; ++p) {
        if (*p != L'%') {
            out += *p;
        } else if (p[1] == L'%') {
            out += L'%';
            ++p;
        } else if (p[1] == L'd' || p[1] == L's') {
            if (next != args.end()) {
                next->AppendTo(out);
                ++next;
            }
            ++p;
        } else {
            out += *p;
        }
    }
    return out;
}

void SetLastErrorText(UINT messageId, std::initializer_list<ErrorTextArg> args) {
    const DWORD savedError = GetLastError();

    std::vector<wchar_t> format(MessageBufferChars, L'\0');
    LoadStringW(GetModuleHandleW(nullptr), messageId, format.data(),
                static_cast<int>(format.size()));
    std::wstring text = FormatErrorText(format.data(), args);
    if (text.size() > MessageBufferChars - 1) {
        text.resize(MessageBufferChars - 1);
    }

    lastErrorText.reset(new wchar_t[text.size() + 1]);
    std::memcpy(lastErrorText.get(), text.c_str(), (text.size() + 1) * sizeof(wchar_t));

    SetLastError(savedError);
}

void SetFileErrorText(UINT messageId, DWORD code, const wchar_t* fileName) {
    const std::wstring systemText = SystemErrorPhrase(code);
    if (messageId == IDS_ERROR_READING_FILE || messageId == IDS_ERROR_WRITING_FILE) {
        SetLastErrorText(messageId, {code, fileName, systemText});
    } else {
        SetLastErrorText(messageId, {fileName, code, systemText});
    }
}
