// Reading the current user's registry from the tests, and the key a fresh Wine prefix lacks.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>
#include <vector>

inline const std::wstring kClasses = L"Software\\Classes\\";
inline const std::wstring kFileExts =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\";

inline bool KeyExists(const std::wstring& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

// The string value below HKEY_CURRENT_USER, or "<missing>".
inline std::wstring ReadString(const std::wstring& path, const wchar_t* name = nullptr) {
    wchar_t data[1024] = {};
    DWORD size = sizeof(data);
    if (RegGetValueW(HKEY_CURRENT_USER, path.c_str(), name, RRF_RT_REG_SZ, nullptr, data, &size) !=
        ERROR_SUCCESS) {
        return L"<missing>";
    }
    return data;
}

// Removes what registering the extensions (upper case) writes, before and after a test, with
// Veltrano's registration with Default apps.
// Windows always has the user's own Classes key; a fresh Wine prefix does not, so it is made
// for the test's lifetime.
class CleanRegistrations {
public:
    explicit CleanRegistrations(std::initializer_list<const wchar_t*> names)
        : extensions(names.begin(), names.end()), createdClasses(!KeyExists(L"Software\\Classes")) {
        if (createdClasses) {
            HKEY classes = nullptr;
            RegCreateKeyW(HKEY_CURRENT_USER, L"Software\\Classes", &classes);
            RegCloseKey(classes);
        }
        Remove();
    }
    ~CleanRegistrations() {
        Remove();
        if (createdClasses) {
            RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Classes");
        }
    }
    CleanRegistrations(const CleanRegistrations&) = delete;
    CleanRegistrations& operator=(const CleanRegistrations&) = delete;

private:
    void Remove() const {
        for (const std::wstring& ext : extensions) {
            for (const std::wstring& path : {kClasses + L"VT" + ext + L"File",
                                             kFileExts + L"." + ext, kClasses + L"." + ext}) {
                RegDeleteTreeW(HKEY_CURRENT_USER, path.c_str());
                RegDeleteKeyW(HKEY_CURRENT_USER, path.c_str());
            }
        }
        // Veltrano's registration with Default apps.
        for (const wchar_t* path : {L"Software\\Clients", L"Software\\RegisteredApplications"}) {
            RegDeleteTreeW(HKEY_CURRENT_USER, path);
            RegDeleteKeyW(HKEY_CURRENT_USER, path);
        }
    }

    std::vector<std::wstring> extensions;
    bool createdClasses;
};
