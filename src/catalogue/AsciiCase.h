// Case changes of extension texts. Only the ASCII letters A-Z and a-z change case; every other
// code unit stays as it is, whatever the user's locale: catalogue keys are lower case, registry
// names carry the extension in upper case.
#pragma once

#include <string>
#include <string_view>

inline wchar_t LowerAsciiChar(wchar_t c) {
    return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

inline wchar_t UpperAsciiChar(wchar_t c) {
    return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

inline std::wstring LowerAscii(std::wstring_view text) {
    std::wstring result(text);
    for (wchar_t& c : result) {
        c = LowerAsciiChar(c);
    }
    return result;
}

inline std::wstring UpperAscii(std::wstring_view text) {
    std::wstring result(text);
    for (wchar_t& c : result) {
        c = UpperAsciiChar(c);
    }
    return result;
}

// Equal texts, with the ASCII letters compared without regard to case.
inline bool EqualIgnoringAsciiCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerAsciiChar(a[i]) != LowerAsciiChar(b[i])) {
            return false;
        }
    }
    return true;
}

// True when the text begins with the prefix, ASCII letters compared without regard to case.
inline bool StartsWithIgnoringAsciiCase(std::wstring_view text, std::wstring_view prefix) {
    return text.size() >= prefix.size() &&
           EqualIgnoringAsciiCase(text.substr(0, prefix.size()), prefix);
}
