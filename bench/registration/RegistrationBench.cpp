// Benchmark helper for scripts/bench.d/30-registration. One mode per run:
//   prepare          makes sure HKCU\Software\Classes and Explorer\FileExts exist
//   clean            removes what registering the built-in extensions writes
//   register         registers every built-in extension (shell extension on) and Veltrano with
//                    Default apps; prints the time
//   write-reg FILE   writes a .reg file (UTF-16LE) with the same keys and values
//   dump             prints what the built-in extensions' registrations hold, for comparison
#include "catalogue/BuiltInExtensions.h"
#include "registration/RegisterExtension.h"
#include "registry/RegistryTestSupport.h"

#include <windows.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct BuiltIns {
    std::wstring playerPath;
    ExtensionCatalogue catalogue;
    BuiltIns() { AddBuiltInEntries(playerPath, catalogue); }
};

std::wstring Upper(std::wstring text) {
    for (wchar_t& c : text) {
        if (c >= L'a' && c <= L'z') {
            c = static_cast<wchar_t>(c - L'a' + L'A');
        }
    }
    return text;
}

std::wstring ProgIdPath(const std::wstring& ext) {
    return TypeNames(Upper(ext)).fileType;
}
std::wstring FileExtsPath(const std::wstring& ext) {
    return TypeNames(Upper(ext)).fileExts;
}
std::wstring OpenWithPath(const std::wstring& ext) {
    return kClasses + L"\\." + ext;
}
// Veltrano's registration with Default apps, shared by all extensions.
const std::wstring kClients = L"Software\\Clients";
const std::wstring kCapabilities = kClients + L"\\Media\\Veltrano\\Capabilities";
const std::wstring kRegisteredApplications = L"Software\\RegisteredApplications";

void EnsureKey(const std::wstring& path) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key, nullptr) == ERROR_SUCCESS) {
        RegCloseKey(key);
    }
}

std::wstring RegString(const std::wstring& text) {
    std::wstring quoted = L"\"";
    for (wchar_t c : text) {
        if (c == L'\\' || c == L'"') {
            quoted += L'\\';
        }
        quoted += c;
    }
    return quoted + L"\"";
}

int Register() {
    const BuiltIns builtIns;
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    int failed = 0;
    RegistrationKeys keys; // as "Set Associations" shares them
    for (const auto& item : builtIns.catalogue) {
        const ExtensionEntry& entry = item.second;
        if (!RegisterExtension(keys, entry.extension, entry.iconFile, entry.iconIndex,
                               builtIns.playerPath, true)) {
            ++failed;
        }
    }
    if (!RegisterApplication(builtIns.playerPath)) {
        ++failed;
    }
    QueryPerformanceCounter(&end);
    std::printf("in-process: %zu extensions in %.1f ms, %d failed\n", builtIns.catalogue.Size(),
                1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
                    static_cast<double>(frequency.QuadPart),
                failed);
    return failed == 0 ? 0 : 1;
}

int WriteReg(const wchar_t* file) {
    const BuiltIns builtIns;
    const std::wstring root = L"HKEY_CURRENT_USER\\";
    std::wstring text = L"\xFEFFWindows Registry Editor Version 5.00\r\n\r\n";
    auto key = [&](const std::wstring& path) { text += L"[" + root + path + L"]\r\n"; };
    auto value = [&](const std::wstring& name, const std::wstring& data) {
        text += (name.empty() ? L"@" : RegString(name)) + L"=" + RegString(data) + L"\r\n";
    };
    for (const auto& item : builtIns.catalogue) {
        const ExtensionEntry& entry = item.second;
        const std::wstring ext = Upper(entry.extension);
        const TypeNames names(ext);
        const std::wstring progId = names.fileType;
        key(progId);
        value(L"", DescribeExtension(ext));
        key(progId + L"\\CLSID");
        value(L"", L"{4B3D9E21-7C55-4A08-9F6E-2D1B8C0A5E73}");
        key(progId + L"\\ShellEx\\ContextMenuHandlers\\VTShellExt");
        value(L"", L"{9C61E0B4-35A2-4F7D-B08E-61C4D2F3A917}");
        key(progId + L"\\DefaultIcon");
        value(L"", entry.iconFile + L"," + entry.iconIndex);
        key(progId + L"\\shell");
        value(L"", L"open");
        key(progId + L"\\shell\\open\\command");
        value(L"", L"\"" + builtIns.playerPath + L"\" \"%L\"");
        text += L"[-" + root + FileExtsPath(ext) + L"\\UserChoice]\r\n";
        key(FileExtsPath(ext) + L"\\UserChoice");
        value(L"Progid", names.progId);
        key(OpenWithPath(entry.extension) + L"\\OpenWithProgids");
        text += RegString(names.progId) + L"=hex(0):\r\n";
        key(kCapabilities + L"\\FileAssociations");
        value(L"." + entry.extension, names.progId);
        text += L"\r\n";
    }
    key(kCapabilities);
    value(L"ApplicationName", L"Veltrano");
    value(L"ApplicationDescription", L"Veltrano media player");
    value(L"ApplicationIcon", L"\"" + builtIns.playerPath + L"\",0");
    key(kRegisteredApplications);
    value(L"Veltrano", kCapabilities);
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(text.data()),
              static_cast<std::streamsize>(text.size() * sizeof(wchar_t)));
    return out ? 0 : 1;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring mode = argc > 1 ? argv[1] : L"";
    if (mode == L"prepare") {
        EnsureKey(kClasses);
        EnsureKey(kFileExts);
        return 0;
    }
    if (mode == L"clean") {
        const BuiltIns builtIns;
        for (const auto& item : builtIns.catalogue) {
            DeleteRawTree(ProgIdPath(item.first));
            DeleteRawTree(FileExtsPath(item.first));
            DeleteRawTree(OpenWithPath(item.first));
        }
        DeleteRawTree(kClients);
        DeleteRawTree(kRegisteredApplications);
        return 0;
    }
    if (mode == L"register") {
        return Register();
    }
    if (mode == L"write-reg" && argc > 2) {
        return WriteReg(argv[2]);
    }
    if (mode == L"dump") {
        const BuiltIns builtIns;
        for (const auto& item : builtIns.catalogue) {
            for (const std::wstring& path :
                 {ProgIdPath(item.first), FileExtsPath(item.first), OpenWithPath(item.first)}) {
                std::printf("== %ls\n%ls", path.c_str(), DumpTree(HKEY_CURRENT_USER, path).c_str());
            }
        }
        for (const std::wstring& path : {kClients, kRegisteredApplications}) {
            std::printf("== %ls\n%ls", path.c_str(), DumpTree(HKEY_CURRENT_USER, path).c_str());
        }
        return 0;
    }
    std::fprintf(stderr, "usage: registration_bench prepare|clean|register|write-reg FILE|dump\n");
    return 2;
}
