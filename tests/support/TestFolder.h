// Test support: paths in the Wine prefix's temporary folder, and a fresh folder there.
#pragma once

#include <windows.h>

#include <filesystem>
#include <string>
#include <system_error>

// The name in the prefix's temporary folder; with no name, the folder itself (ending with "\").
inline std::wstring TempPath(const std::wstring& name = L"") {
    wchar_t folder[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, folder);
    return folder + name;
}

// A fresh folder in the prefix's temporary folder, with everything in it removed at the end.
// Path() ends with "\".
class TestFolder {
public:
    explicit TestFolder(const std::wstring& name)
        : path(TempPath(name + L"-" + std::to_wstring(GetCurrentProcessId()) + L"\\")) {
        Remove();
        CreateDirectoryW(path.c_str(), nullptr);
    }
    ~TestFolder() { Remove(); }
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;

    const std::wstring& Path() const { return path; }
    // Makes a folder below this one (its parent must exist) and returns its path with "\".
    std::wstring MakeFolder(const std::wstring& relative) const {
        const std::wstring made = path + relative + L"\\";
        CreateDirectoryW(made.c_str(), nullptr);
        return made;
    }

private:
    void Remove() const {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }

    std::wstring path;
};
