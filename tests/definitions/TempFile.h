// Files with given bytes in the Wine prefix's temporary folder, removed when the test is done.
#pragma once

#include "definitions/TestFiles.h"
#include "support/TestFolder.h"

#include <windows.h>

#include <string>

class TempFile {
public:
    explicit TempFile(const std::string& bytes) {
        wchar_t name[MAX_PATH];
        GetTempFileNameW(TempPath().c_str(), L"vtr", 0, name);
        path = name;
        WriteBytes(path, bytes);
    }
    ~TempFile() { DeleteFileW(path.c_str()); }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    const wchar_t* Path() const { return path.c_str(); }

private:
    std::wstring path;
};
