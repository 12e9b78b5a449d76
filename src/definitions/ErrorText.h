// The per-thread text of the most recent file error, built from the program's string table.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <memory>
#include <string>

// The text of the most recent error on this thread; null until the first error. Each new error
// replaces (and frees) the previous text.
extern thread_local std::unique_ptr<wchar_t[]> lastErrorText;

// One value for a placeholder of a message: a number or a wide string.
class ErrorTextArg {
public:
    ErrorTextArg(int value) : number(value) {}
    ErrorTextArg(unsigned long value) : number(static_cast<int>(value)) {}
    ErrorTextArg(const wchar_t* value) : text(value ? value : L""), isText(true) {}
    ErrorTextArg(const std::wstring& value) : text(value.c_str()), isText(true) {}

    void AppendTo(std::wstring& out) const;

private:
    int number = 0;
    const wchar_t* text = nullptr;
    bool isText = false;
};

// Fills the placeholders of a printf-style message: each %d or %s takes the next value and
// inserts it in its own form (a number in decimal, a string as it is), "%%" gives "%", and
// anything else is copied. Missing values insert nothing. The same text on every compiler.
std::wstring FormatErrorText(const wchar_t* format, std::initializer_list<ErrorTextArg> args);

// Loads message `messageId` from the running program's string table, fills it with `args`,
// truncated to 8191 characters, and stores it in lastErrorText. The thread's Win32 last-error
// value is the same afterwards.
void SetLastErrorText(UINT messageId, std::initializer_list<ErrorTextArg> args);

// Stores message `messageId` for the failure `code` on the file `fileName`, with the values in
// the order that message wants (20001: code, name, text; 20003: name, code, text).
void SetFileErrorText(UINT messageId, DWORD code, const wchar_t* fileName);
