#include "registry/RegistryTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <cwctype>
#include <set>
#include <sstream>

namespace {

// A raw key closed at the end of the scope.
struct RawKey {
    HKEY key = nullptr;
    ~RawKey() {
        if (key) {
            RegCloseKey(key);
        }
    }
};

bool IsIgnored(const std::wstring& path, const std::vector<std::wstring>& ignored) {
    for (const std::wstring& prefix : ignored) {
        if (path.size() >= prefix.size() &&
            _wcsnicmp(path.c_str(), prefix.c_str(), prefix.size()) == 0 &&
            (path.size() == prefix.size() || path[prefix.size()] == L'\\')) {
            return true;
        }
    }
    return false;
}

std::wstring ShowData(DWORD type, const std::vector<BYTE>& bytes) {
    std::wstring text;
    if (type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ) {
        RawValue value;
        value.bytes = bytes;
        for (wchar_t c : value.Text()) {
            text += c ? std::wstring(1, c) : L"|NUL";
        }
        return bytes.size() % 2 ? text + L"|ODD" : text;
    }
    for (BYTE b : bytes) {
        text += L"0123456789abcdef"[b >> 4];
        text += L"0123456789abcdef"[b & 15];
    }
    return text;
}

void DumpKey(HKEY key, const std::wstring& shown, const std::wstring& fromRoot,
             const std::vector<std::wstring>& ignored, std::set<std::wstring>& lines) {
    lines.insert(L"K " + shown);
    DWORD subkeys = 0, longestSubkey = 0, values = 0, longestName = 0, longestData = 0;
    RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, &longestSubkey, nullptr, &values,
                     &longestName, &longestData, nullptr, nullptr);
    for (DWORD i = 0; i < values; ++i) {
        std::vector<wchar_t> name(longestName + 2);
        std::vector<BYTE> data(longestData + 2);
        DWORD nameLength = static_cast<DWORD>(name.size());
        DWORD dataLength = static_cast<DWORD>(data.size());
        DWORD type = 0;
        if (RegEnumValueW(key, i, name.data(), &nameLength, nullptr, &type, data.data(),
                          &dataLength) != ERROR_SUCCESS) {
            lines.insert(L"! value " + std::to_wstring(i) + L" of " + shown);
            continue;
        }
        data.resize(dataLength);
        lines.insert(L"V " + shown + L" [" + std::wstring(name.data(), nameLength) + L"] " +
                     std::to_wstring(type) + L" " + std::to_wstring(dataLength) + L" " +
                     ShowData(type, data));
    }
    std::vector<std::wstring> children;
    for (DWORD i = 0; i < subkeys; ++i) {
        std::vector<wchar_t> name(longestSubkey + 2);
        DWORD length = static_cast<DWORD>(name.size());
        if (RegEnumKeyExW(key, i, name.data(), &length, nullptr, nullptr, nullptr, nullptr) ==
            ERROR_SUCCESS) {
            children.emplace_back(name.data(), length);
        }
    }
    for (const std::wstring& child : children) {
        const std::wstring childFromRoot = fromRoot.empty() ? child : fromRoot + L"\\" + child;
        const std::wstring childShown = shown.empty() ? child : shown + L"\\" + child;
        RawKey opened;
        if (IsIgnored(childFromRoot, ignored)) {
            continue;
        }
        if (RegOpenKeyExW(key, child.c_str(), 0, KEY_READ, &opened.key) != ERROR_SUCCESS) {
            lines.insert(L"! unopenable " + childShown);
            continue;
        }
        DumpKey(opened.key, childShown, childFromRoot, ignored, lines);
    }
}

} // namespace

ScratchKey::ScratchKey(const std::wstring& name) : path(L"Software\\VTAssocTests\\" + name) {
    DeleteRawTree(path);
    CreateRawKey(path);
}

ScratchKey::~ScratchKey() {
    DeleteRawTree(path);
    // The common parent goes with the last test that used it.
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\VTAssocTests");
}

std::wstring ScratchKey::Below(const std::wstring& relative) const {
    return relative.empty() ? path : path + L"\\" + relative;
}

void CreateRawKey(const std::wstring& path, DWORD options) {
    RawKey key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, options,
                                             KEY_ALL_ACCESS, nullptr, &key.key, nullptr));
}

void SetRawKeyDenied(const std::wstring& path, REGSAM denied) {
    RawKey key;
    ASSERT_EQ(ERROR_SUCCESS,
              RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, WRITE_DAC, &key.key));
    BYTE everyone[SECURITY_MAX_SID_SIZE] = {};
    DWORD sidBytes = sizeof(everyone);
    ASSERT_TRUE(CreateWellKnownSid(WinWorldSid, nullptr, everyone, &sidBytes));
    alignas(DWORD) BYTE list[256] = {};
    auto* acl = reinterpret_cast<ACL*>(list);
    ASSERT_TRUE(InitializeAcl(acl, sizeof(list), ACL_REVISION));
    if (denied != 0) { // a denying entry first, as Windows orders them
        ASSERT_TRUE(AddAccessDeniedAce(acl, ACL_REVISION, denied, everyone));
    }
    ASSERT_TRUE(AddAccessAllowedAce(acl, ACL_REVISION, KEY_ALL_ACCESS, everyone));
    SECURITY_DESCRIPTOR descriptor = {};
    ASSERT_TRUE(InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION));
    ASSERT_TRUE(SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE));
    ASSERT_EQ(ERROR_SUCCESS, RegSetKeySecurity(key.key, DACL_SECURITY_INFORMATION, &descriptor));
}

void SetRawValue(const std::wstring& path, const wchar_t* name, DWORD type, const void* data,
                 DWORD bytes, HKEY root) {
    RawKey key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                             nullptr, &key.key, nullptr));
    ASSERT_EQ(ERROR_SUCCESS,
              RegSetValueExW(key.key, name, 0, type, static_cast<const BYTE*>(data), bytes));
}

void SetRawString(const std::wstring& path, const wchar_t* name, const std::wstring& text,
                  HKEY root) {
    SetRawValue(path, name, REG_SZ, text.c_str(),
                static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)), root);
}

void DeleteRawTree(const std::wstring& path, HKEY root) {
    RegDeleteTreeW(root, path.c_str());
    RegDeleteKeyW(root, path.c_str());
}

void SetRawUserChoiceLatest(const std::wstring& upperExtension, const std::wstring& progId) {
    const std::wstring latest = kFileExts + L"\\." + upperExtension + L"\\UserChoiceLatest";
    SetRawString(latest, L"Hash", L"Zk3mT0aPq1E=");
    if (!progId.empty()) {
        SetRawString(latest + L"\\ProgId", L"ProgId", progId);
    }
    SetRawKeyDenied(latest, KEY_SET_VALUE);
}

bool RawKeyExists(const std::wstring& path, HKEY root) {
    RawKey key;
    return RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key.key) == ERROR_SUCCESS;
}

std::wstring RawValue::Text() const {
    std::wstring text(bytes.size() / sizeof(wchar_t), L'\0');
    if (!text.empty()) {
        std::memcpy(&text[0], bytes.data(), text.size() * sizeof(wchar_t));
    }
    return text;
}

std::wstring RawValue::String() const {
    const std::wstring text = Text();
    return text.substr(0, text.find(L'\0'));
}

RawValue ReadRawValue(const std::wstring& path, const wchar_t* name) {
    RawValue value;
    RawKey key;
    value.result = RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key.key);
    DWORD size = 0;
    if (value.result == ERROR_SUCCESS) {
        value.result = RegQueryValueExW(key.key, name, nullptr, &value.type, nullptr, &size);
    }
    if (value.result == ERROR_SUCCESS) {
        value.bytes.resize(size);
        value.result =
            RegQueryValueExW(key.key, name, nullptr, &value.type, value.bytes.data(), &size);
        value.bytes.resize(size);
    }
    return value;
}

std::wstring ReadRawString(const std::wstring& path, const wchar_t* name) {
    const RawValue value = ReadRawValue(path, name);
    return value.result == ERROR_SUCCESS && value.type == REG_SZ ? value.String() : L"<missing>";
}

CleanRegistrations::CleanRegistrations(std::initializer_list<const wchar_t*> upperExtensions)
    : extensions(upperExtensions.begin(), upperExtensions.end()) {
    Remove();
}

CleanRegistrations::CleanRegistrations(HKEY root,
                                       std::initializer_list<const wchar_t*> upperExtensions)
    : root(root), extensions(upperExtensions.begin(), upperExtensions.end()) {
    Remove();
}

CleanRegistrations::~CleanRegistrations() {
    Remove();
}

void CleanRegistrations::Remove() const {
    if (root == HKEY_CURRENT_USER) {
        for (const std::wstring& ext : extensions) {
            DeleteRawTree(TypeNames(ext).fileType);
            DeleteRawTree(TypeNames(ext).fileExts);
            DeleteRawTree(kClasses + L"\\." + ext);
        }
        DeleteRawTree(L"Software\\Clients");
        DeleteRawTree(L"Software\\RegisteredApplications");
        return;
    }
    // The machine's keys hold other programs' entries: only Veltrano's go, and the keys on the
    // way that are left empty.
    for (const std::wstring& ext : extensions) {
        DeleteRawTree(TypeNames(ext).fileType, root);
        const std::wstring openWith = kClasses + L"\\." + ext + L"\\OpenWithProgids";
        RegDeleteKeyValueW(root, openWith.c_str(), TypeNames(ext).progId.c_str());
        RegDeleteKeyW(root, openWith.c_str());
        RegDeleteKeyW(root, (kClasses + L"\\." + ext).c_str());
    }
    DeleteRawTree(L"Software\\Clients\\Media\\Veltrano", root);
    RegDeleteKeyW(root, L"Software\\Clients\\Media");
    RegDeleteKeyValueW(root, L"Software\\RegisteredApplications", L"Veltrano");
}

std::wstring DumpTree(HKEY root, const std::wstring& path,
                      const std::vector<std::wstring>& ignored) {
    RawKey key;
    if (RegOpenKeyExW(root, path.empty() ? nullptr : path.c_str(), 0, KEY_READ, &key.key) !=
        ERROR_SUCCESS) {
        return L"(absent)\n";
    }
    std::set<std::wstring> lines;
    DumpKey(key.key, L"", path, ignored, lines);
    std::wstring text;
    for (const std::wstring& line : lines) {
        text += line + L"\n";
    }
    return text;
}

std::wstring DiffLines(const std::wstring& a, const std::wstring& b) {
    auto split = [](const std::wstring& text) {
        std::set<std::wstring> lines;
        std::wistringstream in(text);
        for (std::wstring line; std::getline(in, line);) {
            lines.insert(line);
        }
        return lines;
    };
    const auto left = split(a);
    const auto right = split(b);
    std::wstring diff;
    for (const auto& line : left) {
        diff += right.count(line) ? L"" : L"- " + line + L"\n";
    }
    for (const auto& line : right) {
        diff += left.count(line) ? L"" : L"+ " + line + L"\n";
    }
    return diff;
}

namespace {

// Whether a line of a dump of HKEY_CURRENT_USER\Software is of the registration's keys (compared
// in upper case, as key names are compared without case).
bool IsRegistrationLine(const std::wstring& line,
                        std::initializer_list<const wchar_t*> upperExtensions) {
    std::wstring upper = line.substr(0, std::min<std::size_t>(line.size(), 400));
    for (wchar_t& c : upper) {
        c = static_cast<wchar_t>(towupper(c));
    }
    const auto is = [&upper](const std::wstring& key) { // the key's own line
        return upper == L"K " + key;
    };
    const auto within = [&upper](const std::wstring& key) { // the key or below it
        for (const wchar_t* kind : {L"K ", L"V "}) {
            const std::wstring start = kind + key;
            if (upper.compare(0, start.size(), start) == 0 &&
                (upper.size() == start.size() || upper[start.size()] == L'\\' ||
                 upper[start.size()] == L' ')) {
                return true;
            }
        }
        return false;
    };
    const std::wstring fileExts = L"MICROSOFT\\WINDOWS\\CURRENTVERSION\\EXPLORER\\FILEEXTS";
    if (within(L"CLIENTS\\MEDIA\\VELTRANO") || is(L"CLIENTS") || is(L"CLIENTS\\MEDIA") ||
        is(L"REGISTEREDAPPLICATIONS") || is(fileExts) ||
        upper.compare(0, 35, L"V REGISTEREDAPPLICATIONS [VELTRANO]") == 0) {
        return true;
    }
    for (const wchar_t* ext : upperExtensions) {
        const std::wstring progId = L"VT" + std::wstring(ext) + L"FILE";
        const std::wstring openWith = L"CLASSES\\." + std::wstring(ext) + L"\\OPENWITHPROGIDS";
        if (within(L"CLASSES\\" + progId) || is(fileExts + L"\\." + ext) ||
            within(fileExts + L"\\." + ext + L"\\USERCHOICE") ||
            is(L"CLASSES\\." + std::wstring(ext)) || is(openWith) ||
            upper.compare(0, openWith.size() + progId.size() + 5,
                          L"V " + openWith + L" [" + progId + L"]") == 0) {
            return true;
        }
    }
    return false;
}

} // namespace

std::wstring ForeignChanges(const std::wstring& before, const std::wstring& after,
                            std::initializer_list<const wchar_t*> upperExtensions) {
    std::wstring foreign;
    const std::wstring diff = DiffLines(before, after);
    for (std::size_t start = 0; start < diff.size();) {
        std::size_t end = diff.find(L'\n', start);
        end = end == std::wstring::npos ? diff.size() : end;
        const std::wstring line = diff.substr(start, end - start);
        start = end + 1;
        if (line.size() > 2 && !IsRegistrationLine(line.substr(2), upperExtensions)) {
            foreign += line.substr(0, 300) + L"\n";
        }
    }
    return foreign;
}
