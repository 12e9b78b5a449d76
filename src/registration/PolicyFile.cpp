#include "registration/PolicyFile.h"

#include "common/RegistryNames.h"
#include "common/UniqueHandle.h"
#include "common/Utf8.h"
#include "registration/RegisterExtension.h"

#include <algorithm>
#include <iterator>

namespace {

// The folder part of the path, up to and including its last "\" or "/"; empty for none.
std::wstring FolderOf(const std::wstring& path) {
    const std::size_t last = path.find_last_of(L"\\/");
    return last == std::wstring::npos ? std::wstring() : path.substr(0, last + 1);
}

using UniqueFile = UniqueHandle<HANDLE, CloseHandle>;

} // namespace

std::wstring XmlEscaped(const std::wstring& text) {
    struct Entity {
        wchar_t character;
        const wchar_t* written;
    };
    static constexpr Entity kEntities[] = {
        {L'&', L"&amp;"}, {L'<', L"&lt;"}, {L'>', L"&gt;"}, {L'"', L"&quot;"}, {L'\'', L"&apos;"}};
    std::wstring escaped;
    for (const wchar_t c : text) {
        const Entity* entity = std::find_if(std::begin(kEntities), std::end(kEntities),
                                            [c](const Entity& e) { return e.character == c; });
        if (entity != std::end(kEntities)) {
            escaped += entity->written;
        } else {
            escaped += c;
        }
    }
    return escaped;
}

std::string PolicyFileText(const std::vector<ExtensionEntry>& entries,
                           const PolicyOptions& options) {
    std::wstring text = L"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<DefaultAssociations";
    if (options.version) {
        text += L" Version=\"" + std::to_wstring(*options.version) + L"\"";
    }
    text += L">\r\n";
    for (const ExtensionEntry& entry : entries) {
        text += L"  <Association Identifier=\"" + XmlEscaped(L"." + entry.extension) +
                L"\" ProgId=\"" + XmlEscaped(FileTypeName(entry.extension)) +
                L"\" ApplicationName=\"" + XmlEscaped(kApplicationName) + L"\"" +
                (options.suggested ? L" Suggested=\"true\"" : L"") + L" />\r\n";
    }
    text += L"</DefaultAssociations>\r\n";
    return Utf8(text);
}

DWORD WritePolicyFile(const std::wstring& path, const std::string& text) {
    // A name of its own in the target's folder, so that the replacement is a rename on one volume.
    std::wstring folder = FolderOf(path);
    wchar_t temporary[MAX_PATH] = {};
    if (!GetTempFileNameW(folder.empty() ? L"." : folder.c_str(), L"vta", 0, temporary)) {
        return GetLastError();
    }
    DWORD error = ERROR_SUCCESS;
    const HANDLE opened = CreateFileW(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (opened == INVALID_HANDLE_VALUE) {
        error = GetLastError();
    } else {
        const UniqueFile file(opened);
        DWORD written = 0;
        if (!WriteFile(opened, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
            written != text.size() || !FlushFileBuffers(opened)) {
            error = GetLastError();
        }
    }
    if (error == ERROR_SUCCESS &&
        !MoveFileExW(temporary, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        error = GetLastError();
    }
    if (error != ERROR_SUCCESS) {
        DeleteFileW(temporary);
    }
    return error;
}
