// Test support for code that writes the registry: scratch keys under HKEY_CURRENT_USER and text
// dumps of registry trees, both made with the plain Win32 calls (not with the code under test).
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>
#include <vector>

// Keys of the current user that the program writes below.
inline const std::wstring kClasses = L"Software\\Classes";
inline const std::wstring kFileExts =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts";

// The names that registering an extension (upper case, e.g. "MKV") writes: the file type
// VTMKVFile, its key below Software\Classes and Explorer's key FileExts\.MKV.
struct TypeNames {
    explicit TypeNames(const std::wstring& upperExtension)
        : progId(L"VT" + upperExtension + L"File"), fileType(kClasses + L"\\" + progId),
          fileExts(kFileExts + L"\\." + upperExtension) {}
    std::wstring progId, fileType, fileExts;
};

// A key HKCU\Software\VTAssocTests\<name>, made empty when the object is built and removed with
// everything below it when the object goes.
class ScratchKey {
public:
    explicit ScratchKey(const std::wstring& name);
    ~ScratchKey();
    ScratchKey(const ScratchKey&) = delete;
    ScratchKey& operator=(const ScratchKey&) = delete;

    // The path below HKEY_CURRENT_USER.
    const std::wstring& Path() const { return path; }
    // Path() + "\" + relative (or Path() itself for an empty relative path).
    std::wstring Below(const std::wstring& relative) const;

private:
    std::wstring path;
};

// Plain Win32 helpers; every path is below HKEY_CURRENT_USER unless another root is given. They
// fail the running test (and return) when the call fails.
// options: REG_OPTION_VOLATILE makes a key below which no lasting key can be created.
void CreateRawKey(const std::wstring& path, DWORD options = 0);
void SetRawValue(const std::wstring& path, const wchar_t* name, DWORD type, const void* data,
                 DWORD bytes, HKEY root = HKEY_CURRENT_USER);
void SetRawString(const std::wstring& path, const wchar_t* name, const std::wstring& text,
                  HKEY root = HKEY_CURRENT_USER);
void DeleteRawTree(const std::wstring& path, HKEY root = HKEY_CURRENT_USER);
// Gives the key an access list under which everyone may do everything but what `denied` names
// (nothing denied for 0), as Windows 8 and later deny KEY_SET_VALUE on a user choice.
void SetRawKeyDenied(const std::wstring& path, REGSAM denied);
bool RawKeyExists(const std::wstring& path, HKEY root = HKEY_CURRENT_USER);
// Windows 11's FileExts\.EXT\UserChoiceLatest (EXT upper case) as Windows writes it, denying
// KEY_SET_VALUE: a Hash, and the file type in the subkey ProgId (none for an empty progId).
void SetRawUserChoiceLatest(const std::wstring& upperExtension, const std::wstring& progId);

struct RawValue {
    LONG result = ERROR_FILE_NOT_FOUND; // of RegQueryValueExW
    DWORD type = REG_NONE;
    std::vector<BYTE> bytes;
    // The data as UTF-16 text, taken byte for byte (an odd last byte is dropped).
    std::wstring Text() const;
    // The text up to its first zero character.
    std::wstring String() const;
};
RawValue ReadRawValue(const std::wstring& path, const wchar_t* name);
// A REG_SZ value's text, or "<missing>" when there is no such string value.
std::wstring ReadRawString(const std::wstring& path, const wchar_t* name = nullptr);

// Removes, when made and when it goes, what registering the extensions (upper case, e.g. "MKV")
// writes, and Veltrano's registration with Default apps: the current user's, or the machine's
// (HKEY_LOCAL_MACHINE) keeping what other programs hold there.
class CleanRegistrations {
public:
    explicit CleanRegistrations(std::initializer_list<const wchar_t*> upperExtensions);
    CleanRegistrations(HKEY root, std::initializer_list<const wchar_t*> upperExtensions);
    ~CleanRegistrations();
    CleanRegistrations(const CleanRegistrations&) = delete;
    CleanRegistrations& operator=(const CleanRegistrations&) = delete;

private:
    void Remove() const;

    HKEY root = HKEY_CURRENT_USER;
    std::vector<std::wstring> extensions;
};

// The tree below root\path as sorted text, one line per key and one per value:
//   K <path relative to the dumped key>
//   V <key path> [<value name>] <type> <byte count> <data>
// String data is shown as text (with a "|NUL" marker per terminating zero), other data in hex.
// Keys whose path relative to root starts (without regard to case) with one of the ignored
// prefixes are left out, with everything below them. An absent key dumps as "(absent)".
std::wstring DumpTree(HKEY root, const std::wstring& path,
                      const std::vector<std::wstring>& ignored = {});

// The lines of a that b lacks and the lines of b that a lacks, "- " and "+ " before them.
std::wstring DiffLines(const std::wstring& a, const std::wstring& b);

// The lines of DiffLines(before, after), both dumps of HKEY_CURRENT_USER\Software, that are not
// what registering the extensions (upper case) may write, replace or remove: their file types,
// their user choices, the file types' names in their OpenWithProgids (with the keys on the way),
// Veltrano's registration with Default apps. Empty when nothing else changed.
std::wstring ForeignChanges(const std::wstring& before, const std::wstring& after,
                            std::initializer_list<const wchar_t*> upperExtensions);
