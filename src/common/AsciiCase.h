// Case changes of ASCII letters. Only A-Z and a-z change case; every other code unit stays as it
// is, whatever the user's locale: catalogue keys are lower case, registry names carry the
// extension in upper case, and the pattern engine's case-insensitive matching lowers A-Z alone.
// For wide strings (the program's texts) and UTF-16 strings (the pattern engine's).
#pragma once

#include <string>
#include <string_view>

template <class Char> constexpr Char LowerAsciiChar(Char c) {
    return (c >= Char('A') && c <= Char('Z')) ? static_cast<Char>(c - Char('A') + Char('a')) : c;
}

template <class Char> constexpr Char UpperAsciiChar(Char c) {
    return (c >= Char('a') && c <= Char('z')) ? static_cast<Char>(c - Char('a') + Char('A')) : c;
}

namespace ascii_case {

template <class Char, Char (*Change)(Char)>
std::basic_string<Char> Changed(std::basic_string_view<Char> text) {
    std::basic_string<Char> result(text);
    for (Char& c : result) {
        c = Change(c);
    }
    return result;
}

template <class Char> bool Equal(std::basic_string_view<Char> a, std::basic_string_view<Char> b) {
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

} // namespace ascii_case

inline std::wstring LowerAscii(std::wstring_view text) {
    return ascii_case::Changed<wchar_t, LowerAsciiChar<wchar_t>>(text);
}
inline std::u16string LowerAscii(std::u16string_view text) {
    return ascii_case::Changed<char16_t, LowerAsciiChar<char16_t>>(text);
}

inline std::wstring UpperAscii(std::wstring_view text) {
    return ascii_case::Changed<wchar_t, UpperAsciiChar<wchar_t>>(text);
}

// Equal texts, with the ASCII letters compared without regard to case.
inline bool EqualIgnoringAsciiCase(std::wstring_view a, std::wstring_view b) {
    return ascii_case::Equal(a, b);
}

// True when the text begins with the prefix, ASCII letters compared without regard to case.
inline bool StartsWithIgnoringAsciiCase(std::wstring_view text, std::wstring_view prefix) {
    return text.size() >= prefix.size() &&
           EqualIgnoringAsciiCase(text.substr(0, prefix.size()), prefix);
}
inline bool StartsWithIgnoringAsciiCase(std::u16string_view text, std::u16string_view prefix) {
    return text.size() >= prefix.size() && ascii_case::Equal(text.substr(0, prefix.size()), prefix);
}
