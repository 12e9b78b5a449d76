#include "registry/RegistryKey.h"

#include <new>

using namespace RegistryOperation;

namespace {

// Throws the failure that a registry call returned, with the name of the operation.
void ThrowOnFailure(LONG result, const wchar_t* where) {
    if (result != ERROR_SUCCESS) {
        throw CRegistryKey::Exception(where, static_cast<DWORD>(result));
    }
}

// What deleting a key takes: the key's own deletion, and walking its subkeys.
const REGSAM kDeleteAccess = DELETE | KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE;

// How often GetSubkeyInfo makes room and asks again when a name does not fit.
const int kMaxEnumAttempts = 8;

// The subkey name as the system sees it. A name with a NUL inside would silently stand for the
// shorter name before it (and so for another key): it is refused.
const wchar_t* SubkeyName(const std::wstring& subkey, const wchar_t* where) {
    if (subkey.find(L'\0') != std::wstring::npos) {
        throw CRegistryKey::Exception(where, ERROR_INVALID_NAME);
    }
    return subkey.c_str();
}

enum class StringRead { Missing, NotText, Text };

// Reads a REG_SZ or REG_EXPAND_SZ value into text, always NUL-terminated, leaving text alone for
// another type. A value that is not there is Missing, without an exception; any other failure
// throws.
// The characters that QueryTextIfPresent offers room for in its first read.
constexpr DWORD kFirstReadCharacters = 260;

StringRead ReadString(HKEY key, const wchar_t* name, HeapText& text) {
    DWORD type = REG_NONE;
    DWORD size = 0;
    LONG result = RegQueryValueExW(key, name, nullptr, &type, nullptr, &size);
    if (result == ERROR_FILE_NOT_FOUND) {
        return StringRead::Missing;
    }
    ThrowOnFailure(result, kQueryValue);
    if (type != REG_SZ && type != REG_EXPAND_SZ) {
        return StringRead::NotText;
    }
    // The stored bytes rounded up to whole characters, and one zero character more: a text
    // stored without its NUL still ends in one.
    const std::size_t characters = (static_cast<std::size_t>(size) + 1) / sizeof(wchar_t) + 1;
    HeapText buffer(static_cast<wchar_t*>(std::calloc(characters, sizeof(wchar_t))));
    if (!buffer) {
        throw CRegistryKey::Exception(kQueryValue, ERROR_NOT_ENOUGH_MEMORY);
    }
    DWORD stored = size;
    result =
        RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.get()), &stored);
    if (result == ERROR_FILE_NOT_FOUND) {
        return StringRead::Missing; // removed between the two reads
    }
    ThrowOnFailure(result, kQueryValue);
    if (type != REG_SZ && type != REG_EXPAND_SZ) {
        return StringRead::NotText; // rewritten as another type between the two reads
    }
    text = std::move(buffer);
    return StringRead::Text;
}

} // namespace

void CCountedRegKey::DestroyHandle() {
    RegCloseKey(handle);
}

CRegistryKey::CRegistryKey(HKEY parent, const std::wstring& subkey, REGSAM access) : key(nullptr) {
    HKEY opened = nullptr;
    ThrowOnFailure(RegOpenKeyExW(parent, SubkeyName(subkey, kConstructor), 0, access, &opened),
                   kConstructor);
    key = NewCCountedRegKey(opened);
}

std::optional<CRegistryKey> CRegistryKey::OpenIfPresent(HKEY parent, const std::wstring& subkey,
                                                        REGSAM access) {
    HKEY opened = nullptr;
    const LONG result = RegOpenKeyExW(parent, SubkeyName(subkey, kConstructor), 0, access, &opened);
    if (result == ERROR_FILE_NOT_FOUND) {
        return std::nullopt;
    }
    ThrowOnFailure(result, kConstructor);
    return CRegistryKey(NewCCountedRegKey(opened));
}

CRegistryKey::CRegistryKey(const CRegistryKey& other) : key(other.key) {
    if (key) {
        key->AddRef();
    }
}

CRegistryKey& CRegistryKey::operator=(const CRegistryKey& other) {
    if (this != &other) {
        if (other.key) {
            other.key->AddRef();
        }
        if (key) {
            key = key->Release();
        }
        key = other.key;
    }
    return *this;
}

CRegistryKey::~CRegistryKey() {
    if (key) {
        key = key->Release();
    }
}

HKEY CRegistryKey::GetHandle() const {
    return key->GetHandle();
}

CCountedRegKey* CRegistryKey::NewCCountedRegKey(HKEY raw) {
    // The constructor only stores the handle: the allocation is all that can fail.
    CCountedRegKey* const counted = new (std::nothrow) CCountedRegKey(raw);
    if (!counted) {
        RegCloseKey(raw);
        throw Exception(kNewCountedRegKey, ERROR_NOT_ENOUGH_MEMORY);
    }
    return counted;
}

CRegistryKey CRegistryKey::OpenKey(const std::wstring& subkey, REGSAM access) const {
    return CRegistryKey(GetHandle(), subkey, access);
}

std::optional<CRegistryKey> CRegistryKey::OpenKeyIfPresent(const std::wstring& subkey,
                                                           REGSAM access) const {
    return OpenIfPresent(GetHandle(), subkey, access);
}

CRegistryKey CRegistryKey::CreateOrOpenKey(const std::wstring& subkey, DWORD* disposition) const {
    DWORD ownDisposition = 0;
    return CreateSubkey(subkey, disposition ? disposition : &ownDisposition, kCreateOrOpenKey);
}

CRegistryKey CRegistryKey::CreateSubkey(const std::wstring& subkey, DWORD* disposition,
                                        const wchar_t* where) const {
    HKEY created = nullptr;
    wchar_t noClass[] = L"";
    ThrowOnFailure(RegCreateKeyExW(GetHandle(), SubkeyName(subkey, where), 0, noClass,
                                   REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &created,
                                   disposition),
                   where);
    return CRegistryKey(NewCCountedRegKey(created));
}

CRegistryKey CRegistryKey::CreateKey(const std::wstring& subkey) const {
    DWORD disposition = 0;
    // A create that fails is this operation's failure, as the existing key is.
    CRegistryKey created = CreateSubkey(subkey, &disposition, kCreateKey);
    if (disposition != REG_CREATED_NEW_KEY) {
        // The key that was there is closed again (with created) and left as it is.
        throw Exception(kCreateKey, ERROR_ALREADY_EXISTS);
    }
    return created;
}

bool CRegistryKey::HasSubkey(const std::wstring& subkey) const {
    return OpenKeyIfPresent(subkey, KEY_QUERY_VALUE).has_value();
}

void CRegistryKey::DeleteKey(const std::wstring& subkey) const {
    {
        const CRegistryKey child = OpenKey(subkey, kDeleteAccess);
        if (SubkeyIterator(child) != SubkeyIterator()) {
            throw Exception(kDeleteKey, ERROR_ACCESS_DENIED);
        }
    }
    ThrowOnFailure(RegDeleteKeyW(GetHandle(), SubkeyName(subkey, kDeleteKey)), kDeleteKey);
}

bool CRegistryKey::DeleteKeyIfPresent(const std::wstring& subkey) const {
    // The system refuses a key with subkeys itself (ERROR_ACCESS_DENIED).
    const LONG result = RegDeleteKeyW(GetHandle(), SubkeyName(subkey, kDeleteKey));
    if (result == ERROR_FILE_NOT_FOUND) {
        return false;
    }
    ThrowOnFailure(result, kDeleteKey);
    return true;
}

void CRegistryKey::DeleteKeyAndSubkeys(const std::wstring& subkey) const {
    DeleteTree(OpenKey(subkey, kDeleteAccess), subkey);
}

bool CRegistryKey::DeleteKeyAndSubkeysIfPresent(const std::wstring& subkey) const {
    std::optional<CRegistryKey> child = OpenKeyIfPresent(subkey, kDeleteAccess);
    if (!child) {
        return false;
    }
    DeleteTree(std::move(child), subkey);
    return true;
}

void CRegistryKey::DeleteTree(std::optional<CRegistryKey> child, const std::wstring& subkey) const {
    // Every deletion moves the remaining subkeys down, so each round starts at the first.
    for (;;) {
        const SubkeyIterator first(*child);
        if (first == SubkeyIterator()) {
            break;
        }
        child->DeleteKeyAndSubkeys(first.GetName());
    }
    child.reset(); // closed before the key itself goes
    DeleteKey(subkey);
}

bool CRegistryKey::QueryValue(const wchar_t* name, HeapText& text) const {
    const StringRead read = ReadString(GetHandle(), name, text);
    if (read == StringRead::Missing) {
        throw Exception(kQueryValue, ERROR_FILE_NOT_FOUND);
    }
    return read == StringRead::Text;
}

std::optional<std::wstring> CRegistryKey::QueryTextIfPresent(const wchar_t* name) const {
    // Most texts fit this: read in one call, with a zero character after the room offered so
    // that a text stored without its NUL still ends in one.
    wchar_t first[kFirstReadCharacters + 1] = {};
    DWORD type = REG_NONE;
    DWORD size = kFirstReadCharacters * sizeof(wchar_t);
    const LONG result =
        RegQueryValueExW(GetHandle(), name, nullptr, &type, reinterpret_cast<BYTE*>(first), &size);
    if (result == ERROR_FILE_NOT_FOUND) {
        return std::nullopt;
    }
    if (result == ERROR_SUCCESS) {
        if (type != REG_SZ && type != REG_EXPAND_SZ) {
            return std::nullopt;
        }
        return std::wstring(first);
    }
    if (result != ERROR_MORE_DATA) {
        ThrowOnFailure(result, kQueryValue);
    }
    HeapText text;
    if (ReadString(GetHandle(), name, text) != StringRead::Text) {
        return std::nullopt;
    }
    return std::wstring(text.get());
}

void CRegistryKey::SetValue(const wchar_t* name, DWORD type, const std::wstring& text) const {
    if (type != REG_SZ && type != REG_EXPAND_SZ) {
        throw Exception(kSetValue, ERROR_INVALID_FLAGS);
    }
    const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    if (text.size() >= MAXDWORD / sizeof(wchar_t)) {
        throw Exception(kSetValue, ERROR_INVALID_PARAMETER); // would not fit the byte count
    }
    ThrowOnFailure(RegSetValueExW(GetHandle(), name, 0, type,
                                  reinterpret_cast<const BYTE*>(text.c_str()),
                                  static_cast<DWORD>(bytes)),
                   kSetValue);
}

void CRegistryKey::SetEmptyValue(const wchar_t* name) const {
    ThrowOnFailure(RegSetValueExW(GetHandle(), name, 0, REG_NONE, nullptr, 0), kSetValue);
}

void CRegistryKey::DeleteValue(const wchar_t* name) const {
    const LSTATUS result = RegDeleteValueW(GetHandle(), name);
    if (result != ERROR_FILE_NOT_FOUND) {
        ThrowOnFailure(result, kDeleteValue);
    }
}

bool CRegistryKey::IsEmpty() const {
    DWORD subkeys = 0, values = 0;
    ThrowOnFailure(RegQueryInfoKeyW(GetHandle(), nullptr, nullptr, nullptr, &subkeys, nullptr,
                                    nullptr, &values, nullptr, nullptr, nullptr, nullptr),
                   kQueryInfoKey);
    return subkeys == 0 && values == 0;
}

DWORD CRegistryKey::SubkeyCount() const {
    DWORD subkeys = 0;
    ThrowOnFailure(RegQueryInfoKeyW(GetHandle(), nullptr, nullptr, nullptr, &subkeys, nullptr,
                                    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr),
                   kQueryInfoKey);
    return subkeys;
}

CRegKeyIterator::CRegKeyIterator(CCountedRegKey* walked) : key(walked) {
    if (key) {
        key->AddRef();
    }
}

CRegKeyIterator::~CRegKeyIterator() {
    MakeEnd();
}

void CRegKeyIterator::MakeEnd() {
    if (key) {
        key = key->Release();
    }
    index = 0;
}

void CRegistryKey::SubkeyIteratorImpl::Buffer::Reserve(DWORD count) {
    if (capacity < count) {
        text.reset(new wchar_t[count]());
        capacity = count;
    }
}

CRegistryKey::SubkeyIteratorImpl::SubkeyIteratorImpl(const CRegistryKey& owner)
    : CRegKeyIterator(owner.key) {
    QuerySizes(kIteratorConstructor);
    Advance();
}

bool CRegistryKey::SubkeyIteratorImpl::Advance() {
    if (GetSubkeyInfo()) {
        ++index;
        return true;
    }
    MakeEnd();
    return false;
}

DWORD CRegistryKey::SubkeyIteratorImpl::QuerySizes(const wchar_t* where) {
    DWORD subkeys = 0;
    DWORD longestName = 0;
    DWORD longestClass = 0;
    ThrowOnFailure(RegQueryInfoKeyW(key->GetHandle(), nullptr, nullptr, nullptr, &subkeys,
                                    &longestName, &longestClass, nullptr, nullptr, nullptr, nullptr,
                                    nullptr),
                   where);
    // Never left without a buffer, so the names read are always terminated.
    name.Reserve(longestName + 1);
    className.Reserve(longestClass + 1);
    return subkeys;
}

bool CRegistryKey::SubkeyIteratorImpl::GetSubkeyInfo() {
    if (!key) {
        return false;
    }
    for (int attempt = 1;; ++attempt) {
        DWORD nameLength = name.capacity;
        DWORD classLength = className.capacity;
        FILETIME lastWrite;
        const LONG result = RegEnumKeyExW(key->GetHandle(), index, name.text.get(), &nameLength,
                                          nullptr, className.text.get(), &classLength, &lastWrite);
        if (result == ERROR_SUCCESS) {
            return true;
        }
        if (result == ERROR_NO_MORE_ITEMS) {
            name.text[0] = L'\0';
            return false;
        }
        if (result != ERROR_MORE_DATA || attempt == kMaxEnumAttempts) {
            throw Exception(kGetSubkeyInfo, static_cast<DWORD>(result));
        }
        const DWORD nameCapacity = name.capacity;
        const DWORD classCapacity = className.capacity;
        if (QuerySizes(kGetSubkeyInfo) == 0) {
            // The key lost all its subkeys meanwhile: there is nothing left to fetch.
            name.text[0] = L'\0';
            return false;
        }
        if (name.capacity == nameCapacity && className.capacity == classCapacity) {
            // The lengths the key reports do not cover what it hands out: make room anyway.
            name.Reserve(nameCapacity * 2);
            className.Reserve(classCapacity * 2);
        }
    }
}
