// The failure of a Win32 call: which operation failed and the error code it returned.
#pragma once

#include <windows.h>

#include <string>

class CWin32Exception {
public:
    // failedAt: a static text naming the failed operation; it is never copied or freed.
    CWin32Exception(const wchar_t* failedAt, DWORD code) : where(failedAt), error(code) {}
    virtual ~CWin32Exception() = default;
    CWin32Exception(const CWin32Exception&) = default;
    CWin32Exception& operator=(const CWin32Exception&) = default;

    const wchar_t* GetWhere() const { return where; }
    DWORD GetError() const { return error; }

    // The system's text for the error code, as the system words it (with its trailing line
    // break). Falls back to the text of the error that the formatting itself met, and when no
    // text can be had at all, to "Error " and the code. Never empty.
    virtual std::wstring GetErrorMessage() const;

private:
    const wchar_t* where;
    DWORD error;
};
