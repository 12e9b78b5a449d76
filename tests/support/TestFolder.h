// Test support: paths in the Wine prefix's temporary folder, and a fresh folder there.
#pragma once

#include <windows.h>

#include <string>

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
        RemoveTree(path);
        CreateDirectoryW(path.c_str(), nullptr);
    }
    ~TestFolder() { RemoveTree(path); }
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
    static void RemoveTree(const std::wstring& folder) {
        WIN32_FIND_DATAW found = {};
        HANDLE search = FindFirstFileW((folder + L"*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                const std::wstring name = found.cFileName;
                if (name == L"." || name == L"..") {
                    continue;
                }
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                    RemoveTree(folder + name + L"\\");
                } else {
                    DeleteFileW((folder + name).c_str());
                }
            } while (FindNextFileW(search, &found));
            FindClose(search);
        }
        RemoveDirectoryW(folder.c_str());
    }

    std::wstring path;
};
