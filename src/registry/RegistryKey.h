// The program's only way of holding an open registry key. Keys are shared by value: every copy
// of a CRegistryKey refers to one reference-counted handle, which is closed when the last copy
// goes. Every failing registry call throws CRegistryKey::Exception with the Win32 error code and
// the name of the operation. A key is opened with no more access than its use needs: the caller
// names it for an existing key; created keys are opened for writing (KEY_WRITE).
#pragma once

#include "common/UniqueHandle.h"
#include "registry/ReferenceCounted.h"
#include "registry/Win32Exception.h"

#include <windows.h>

#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

// The names of the operations that a failure reports (they reach the user as message-box
// captions).
namespace RegistryOperation {
inline constexpr wchar_t kConstructor[] = L"CRegistryKey::CRegistryKey(HKEY hKey ...)";
inline constexpr wchar_t kNewCountedRegKey[] = L"CRegistryKey::NewCCountedRegKey()";
inline constexpr wchar_t kDeleteKey[] = L"CRegistryKey::DeleteKey()";
inline constexpr wchar_t kCreateKey[] = L"CRegistryKey::CreateKey()";
inline constexpr wchar_t kCreateOrOpenKey[] = L"CRegistryKey::CreateOrOpenKey()";
inline constexpr wchar_t kQueryValue[] = L"CRegistryKey::QueryValue()";
inline constexpr wchar_t kSetValue[] = L"CRegistryKey::SetValue()";
inline constexpr wchar_t kDeleteValue[] = L"CRegistryKey::DeleteValue()";
inline constexpr wchar_t kQueryInfoKey[] = L"CRegistryKey::QueryInfoKey()";
inline constexpr wchar_t kIteratorConstructor[] = L"CRegistryKey::SubkeyIterator::SubkeyIterator()";
inline constexpr wchar_t kGetSubkeyInfo[] = L"CRegistryKey::SubkeyIterator::GetSubkeyInfo()";
} // namespace RegistryOperation

// The open key behind one or more CRegistryKey values.
class CCountedRegKey : public TReferenceCounted<HKEY, CCountedRegKey> {
    friend class CRegistryKey;

protected:
    void DestroyHandle() override;
    ~CCountedRegKey() override = default;

private:
    explicit CCountedRegKey(HKEY held) : TReferenceCounted(held) {}
};

// A text handed out on the general heap (malloc); released with free.
using HeapText = UniqueHandle<wchar_t*, std::free>;

template <class TImpl> class TRegKeyIterator;

class CRegistryKey {
public:
    class Exception : public CWin32Exception {
    public:
        using CWin32Exception::CWin32Exception;
    };

    class SubkeyIteratorImpl;
    using SubkeyIterator = TRegKeyIterator<SubkeyIteratorImpl>;

    // Opens the existing subkey of parent (which may be a predefined root such as
    // HKEY_CURRENT_USER) with the access: KEY_QUERY_VALUE to read values (or only to reach its
    // subkeys, which needs no right of its own), KEY_SET_VALUE to change them, KEY_CREATE_SUB_KEY
    // to create subkeys.
    CRegistryKey(HKEY parent, const std::wstring& subkey, REGSAM access);
    CRegistryKey(const CRegistryKey& other);
    CRegistryKey& operator=(const CRegistryKey& other);
    ~CRegistryKey();

    HKEY GetHandle() const;

    // Wraps a raw handle with count 1. When that cannot be done, closes the handle and throws
    // ERROR_NOT_ENOUGH_MEMORY.
    static CCountedRegKey* NewCCountedRegKey(HKEY raw);

    // The subkey of parent opened with the access; nothing when it is not there
    // (ERROR_FILE_NOT_FOUND), which costs no exception. Any other failure throws as the
    // constructor's.
    static std::optional<CRegistryKey> OpenIfPresent(HKEY parent, const std::wstring& subkey,
                                                     REGSAM access);

    // Opens an existing subkey with the access.
    CRegistryKey OpenKey(const std::wstring& subkey, REGSAM access) const;
    // OpenIfPresent below this key.
    std::optional<CRegistryKey> OpenKeyIfPresent(const std::wstring& subkey, REGSAM access) const;
    // Creates the subkey or opens it when it exists, for writing; disposition, when given,
    // receives REG_CREATED_NEW_KEY or REG_OPENED_EXISTING_KEY.
    CRegistryKey CreateOrOpenKey(const std::wstring& subkey, DWORD* disposition = nullptr) const;
    // Creates a subkey that must not exist yet; throws ERROR_ALREADY_EXISTS when it does.
    CRegistryKey CreateKey(const std::wstring& subkey) const;
    // Whether the subkey is there (OpenKeyIfPresent for reading).
    bool HasSubkey(const std::wstring& subkey) const;

    // Deletes a subkey that has no subkeys; throws ERROR_ACCESS_DENIED when it has some.
    void DeleteKey(const std::wstring& subkey) const;
    // Deletes a subkey that has no subkeys, opening only this key (the subkey itself may deny its
    // user everything but its removal); false when it is not there. Any other failure, a subkey
    // with subkeys included, throws as DeleteKey's.
    bool DeleteKeyIfPresent(const std::wstring& subkey) const;
    // Deletes a subkey with everything below it, depth first. A key of the tree that may not be
    // deleted fails when it is opened, before anything below it is deleted.
    void DeleteKeyAndSubkeys(const std::wstring& subkey) const;
    // The same; false when the subkey is not there.
    bool DeleteKeyAndSubkeysIfPresent(const std::wstring& subkey) const;

    // Reads a REG_SZ or REG_EXPAND_SZ value (as stored, nothing expanded) into text, always
    // NUL-terminated. Returns false, leaving text alone, for a value of another type; throws when
    // the value cannot be read (a missing value included). name "" is the default value.
    bool QueryValue(const wchar_t* name, HeapText& text) const;
    // The text QueryValue reads; nothing when the value is not there (ERROR_FILE_NOT_FOUND, which
    // costs no exception) or is not a string. Any other failure throws as QueryValue's. A short
    // text is read in one call.
    std::optional<std::wstring> QueryTextIfPresent(const wchar_t* name) const;
    // Writes text with its terminating NUL as REG_SZ or REG_EXPAND_SZ; any other type throws
    // ERROR_INVALID_FLAGS before anything is written. name null is the default value.
    void SetValue(const wchar_t* name, DWORD type, const std::wstring& text) const;
    // Writes an empty REG_NONE value, of which only the name counts; fails as SetValue.
    void SetEmptyValue(const wchar_t* name) const;
    // Deletes a value; a value that is not there is not a failure.
    void DeleteValue(const wchar_t* name) const;
    // True when the key has neither values nor subkeys.
    bool IsEmpty() const;
    // The number of subkeys.
    DWORD SubkeyCount() const;

private:
    explicit CRegistryKey(CCountedRegKey* counted) : key(counted) {}
    // RegCreateKeyExW for CreateOrOpenKey and CreateKey; a failure is reported as `where`.
    CRegistryKey CreateSubkey(const std::wstring& subkey, DWORD* disposition,
                              const wchar_t* where) const;
    // Deletes the subkey, whose key opened for deletion is child, with everything below it.
    void DeleteTree(std::optional<CRegistryKey> child, const std::wstring& subkey) const;

    CCountedRegKey* key;
};

// Base of the iterators over a key: the key being walked (one reference held; null at the end)
// and the index of the next entry to fetch.
class CRegKeyIterator {
public:
    CRegKeyIterator(const CRegKeyIterator&) = delete;
    CRegKeyIterator& operator=(const CRegKeyIterator&) = delete;
    virtual ~CRegKeyIterator();

    // Equal when both walk the same counted key and stand at the same index.
    bool operator==(const CRegKeyIterator& other) const {
        return key == other.key && index == other.index;
    }
    bool operator!=(const CRegKeyIterator& other) const { return !(*this == other); }

    DWORD GetIndex() const { return index; }

protected:
    CRegKeyIterator() = default;
    explicit CRegKeyIterator(CCountedRegKey* walked);
    // Gives the key back and becomes equal to the end iterator.
    void MakeEnd();

    CCountedRegKey* key = nullptr;
    DWORD index = 0;
};

// Iterates over the subkeys of a key. While positioned, GetName is the current subkey's name and
// the index is one past it.
class CRegistryKey::SubkeyIteratorImpl : public CRegKeyIterator {
public:
    // Fetches the subkey at the iterator's index into the name buffer: true when there was one,
    // false when there are no more.
    bool GetSubkeyInfo();
    // Moves on to the next subkey: true when positioned on one, false (and equal to the end
    // iterator) when there are no more.
    bool Advance();

    const wchar_t* GetName() const { return name.text ? name.text.get() : L""; }

protected:
    // The end iterator.
    SubkeyIteratorImpl() = default;
    // Positioned on the first subkey of the key, or the end iterator when it has none.
    explicit SubkeyIteratorImpl(const CRegistryKey& owner);
    ~SubkeyIteratorImpl() override = default;

private:
    struct Buffer {
        std::unique_ptr<wchar_t[]> text;
        DWORD capacity = 0; // in characters
        // Makes room for at least count characters; old contents are not kept.
        void Reserve(DWORD count);
    };
    // The subkey count; the buffers grow to the longest name and class.
    DWORD QuerySizes(const wchar_t* where);

    Buffer name;
    Buffer className;
};

template <class TImpl> class TRegKeyIterator : public TImpl {
public:
    TRegKeyIterator() = default;
    explicit TRegKeyIterator(const CRegistryKey& owner) : TImpl(owner) {}
    ~TRegKeyIterator() override = default;
};
