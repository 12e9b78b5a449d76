#include "registry/RegistryKey.h"
#include "registry/RegistryTestSupport.h"
#include "registry/RegistryWatch.h"
#include "registry/SubkeyNameSet.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

// Every test works in its own key below HKCU\Software\VTAssocTests in the real registry.

namespace {

std::wstring TestName() {
    const auto* info = testing::UnitTest::GetInstance()->current_test_info();
    const std::string name = std::string(info->test_suite_name()) + "." + info->name();
    return std::wstring(name.begin(), name.end());
}

// Runs the operation and returns the exception it must throw.
template <class Operation> CRegistryKey::Exception Thrown(Operation operation) {
    try {
        operation();
    } catch (const CRegistryKey::Exception& e) {
        return e;
    }
    ADD_FAILURE() << "no CRegistryKey::Exception was thrown";
    return CRegistryKey::Exception(L"(none)", 0);
}

void ExpectFailure(const CRegistryKey::Exception& e, DWORD code, const std::wstring& where) {
    EXPECT_EQ(code, e.GetError());
    EXPECT_EQ(where, e.GetWhere());
}

const wchar_t kConstructor[] = L"CRegistryKey::CRegistryKey(HKEY hKey ...)";

// Whether a raw handle still refers to an open key.
bool IsOpen(HKEY key) {
    return RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                            nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

// A tree three levels deep with three children per level and a value in every key.
void BuildTree(const std::wstring& root) {
    for (const wchar_t* a : {L"a1", L"a2", L"a3"}) {
        for (const wchar_t* b : {L"b1", L"b2", L"b3"}) {
            for (const wchar_t* c : {L"c1", L"c2", L"c3"}) {
                const std::wstring leaf = root + L"\\" + a + L"\\" + b + L"\\" + c;
                SetRawString(leaf, nullptr, leaf);
                SetRawString(root + L"\\" + a + L"\\" + b, L"v", b);
            }
            SetRawString(root + L"\\" + a, L"v", a);
        }
    }
}

class RegistryKeyTest : public testing::Test {
protected:
    ScratchKey scratch{TestName()};
    CRegistryKey Scratch() const {
        return CRegistryKey(HKEY_CURRENT_USER, scratch.Path(), KEY_READ | KEY_WRITE);
    }
};

} // namespace

TEST_F(RegistryKeyTest, EveryOperationOnAMissingKeyThrowsFileNotFoundFromTheConstructor) {
    const std::function<void()> operations[] = {
        [&] { CRegistryKey(HKEY_CURRENT_USER, scratch.Below(L"none"), KEY_READ); },
        [&] { Scratch().OpenKey(L"none\\deeper", KEY_READ); },
        [&] { Scratch().DeleteKey(L"none"); },
        [&] { Scratch().DeleteKeyAndSubkeys(L"none"); },
    };
    for (const auto& operation : operations) {
        ExpectFailure(Thrown(operation), ERROR_FILE_NOT_FOUND, kConstructor);
    }
}

TEST_F(RegistryKeyTest, OpeningIfPresentGivesNothingOnlyForAKeyThatIsNotThere) {
    SetRawString(scratch.Below(L"there"), L"v", L"x");
    CreateRawKey(scratch.Below(L"closed"));
    SetRawKeyDenied(scratch.Below(L"closed"), KEY_QUERY_VALUE);
    EXPECT_EQ(L"x",
              CRegistryKey::OpenIfPresent(HKEY_CURRENT_USER, scratch.Below(L"there"), KEY_READ)
                  ->QueryTextIfPresent(L"v"));
    EXPECT_FALSE(Scratch().OpenKeyIfPresent(L"none", KEY_QUERY_VALUE));
    EXPECT_TRUE(Scratch().HasSubkey(L"there"));
    EXPECT_FALSE(Scratch().HasSubkey(L"none"));
    ExpectFailure(Thrown([&] { Scratch().OpenKeyIfPresent(L"closed", KEY_QUERY_VALUE); }),
                  ERROR_ACCESS_DENIED, kConstructor);
    SetRawKeyDenied(scratch.Below(L"closed"), 0); // for the clean-up
}

TEST_F(RegistryKeyTest, CreateOrOpenKeyReportsWhetherTheKeyIsNewAndOpensExistingOnes) {
    DWORD disposition = 0;
    const CRegistryKey created = Scratch().CreateOrOpenKey(L"k", &disposition);
    EXPECT_EQ(static_cast<DWORD>(REG_CREATED_NEW_KEY), disposition);
    created.SetValue(L"v", REG_SZ, L"first");

    const CRegistryKey opened = Scratch().CreateOrOpenKey(L"k", &disposition);
    EXPECT_EQ(static_cast<DWORD>(REG_OPENED_EXISTING_KEY), disposition);
    EXPECT_EQ(L"first", ReadRawValue(scratch.Below(L"k"), L"v").String());
    opened.SetValue(L"v", REG_SZ, L"second");
    EXPECT_EQ(L"second", ReadRawValue(scratch.Below(L"k"), L"v").String());

    Scratch().CreateOrOpenKey(L"k"); // no disposition asked for
    EXPECT_TRUE(RawKeyExists(scratch.Below(L"k")));
}

TEST_F(RegistryKeyTest, CreateKeyMakesANewKeyButRefusesAnExistingOneAndLeavesItAlone) {
    Scratch().CreateKey(L"fresh").SetValue(L"v", REG_SZ, L"x");
    EXPECT_EQ(L"x", ReadRawValue(scratch.Below(L"fresh"), L"v").String());

    SetRawString(scratch.Below(L"old\\child"), L"c", L"kept");
    SetRawString(scratch.Below(L"old"), nullptr, L"default");
    const std::wstring before = DumpTree(HKEY_CURRENT_USER, scratch.Path());
    const auto e = Thrown([&] { Scratch().CreateKey(L"old"); });
    ExpectFailure(e, ERROR_ALREADY_EXISTS, L"CRegistryKey::CreateKey()");
    EXPECT_EQ(before, DumpTree(HKEY_CURRENT_USER, scratch.Path()));
}

TEST_F(RegistryKeyTest, DeleteKeyRemovesAnEmptyKeyOnly) {
    SetRawString(scratch.Below(L"leaf"), L"v", L"values do not count");
    Scratch().DeleteKey(L"leaf");
    EXPECT_FALSE(RawKeyExists(scratch.Below(L"leaf")));
    CreateRawKey(scratch.Below(L"leaf"));
    EXPECT_TRUE(Scratch().DeleteKeyIfPresent(L"leaf"));
    EXPECT_FALSE(Scratch().DeleteKeyIfPresent(L"leaf"));

    BuildTree(scratch.Below(L"tree"));
    const std::wstring before = DumpTree(HKEY_CURRENT_USER, scratch.Path());
    const auto e = Thrown([&] { Scratch().DeleteKey(L"tree"); });
    ExpectFailure(e, ERROR_ACCESS_DENIED, L"CRegistryKey::DeleteKey()");
    ExpectFailure(Thrown([&] { Scratch().DeleteKeyIfPresent(L"tree"); }), ERROR_ACCESS_DENIED,
                  L"CRegistryKey::DeleteKey()");
    EXPECT_EQ(before, DumpTree(HKEY_CURRENT_USER, scratch.Path()));
}

TEST_F(RegistryKeyTest, DeleteKeyAndSubkeysRemovesAWholeTreeAndNothingBesideIt) {
    BuildTree(scratch.Below(L"tree"));
    BuildTree(scratch.Below(L"neighbour"));
    SetRawString(scratch.Below(L"tree2"), nullptr, L"a name that starts like the deleted one");
    const std::wstring neighbours =
        DumpTree(HKEY_CURRENT_USER, scratch.Path(), {scratch.Below(L"tree")});

    Scratch().DeleteKeyAndSubkeys(L"tree");
    EXPECT_FALSE(RawKeyExists(scratch.Below(L"tree")));
    EXPECT_EQ(neighbours, DumpTree(HKEY_CURRENT_USER, scratch.Path()));

    // A key without subkeys goes like with DeleteKey; a path of several levels works too.
    Scratch().DeleteKeyAndSubkeys(L"tree2");
    EXPECT_TRUE(Scratch().DeleteKeyAndSubkeysIfPresent(L"neighbour\\a2\\b2"));
    EXPECT_FALSE(Scratch().DeleteKeyAndSubkeysIfPresent(L"neighbour\\a2\\b2"));
    EXPECT_FALSE(RawKeyExists(scratch.Below(L"tree2")));
    EXPECT_FALSE(RawKeyExists(scratch.Below(L"neighbour\\a2\\b2")));
    EXPECT_TRUE(RawKeyExists(scratch.Below(L"neighbour\\a2\\b1\\c1")));
}

TEST_F(RegistryKeyTest, ANameWithANulInsideIsRefusedInsteadOfStandingForAShorterName) {
    BuildTree(scratch.Below(L"a"));
    const std::wstring before = DumpTree(HKEY_CURRENT_USER, scratch.Path());
    const std::wstring name(L"a\0b", 3);
    const auto deleted = Thrown([&] { Scratch().DeleteKeyAndSubkeys(name); });
    ExpectFailure(deleted, ERROR_INVALID_NAME, kConstructor);
    const auto created = Thrown([&] { Scratch().CreateOrOpenKey(name); });
    ExpectFailure(created, ERROR_INVALID_NAME, L"CRegistryKey::CreateOrOpenKey()");
    ExpectFailure(Thrown([&] { Scratch().HasSubkey(name); }), ERROR_INVALID_NAME, kConstructor);
    ExpectFailure(Thrown([&] { Scratch().DeleteKeyIfPresent(name); }), ERROR_INVALID_NAME,
                  L"CRegistryKey::DeleteKey()");
    EXPECT_EQ(before, DumpTree(HKEY_CURRENT_USER, scratch.Path()));
}

TEST_F(RegistryKeyTest, QueryValueReadsStringsAsStoredAndAlwaysTerminated) {
    SetRawString(scratch.Path(), nullptr, L"C:\\Tools\\vtplayer.exe,0");
    const std::wstring expandable = L"%SystemRoot%\\x.dll,-3";
    SetRawValue(scratch.Path(), L"expand", REG_EXPAND_SZ, expandable.c_str(),
                static_cast<DWORD>((expandable.size() + 1) * 2));
    // The system adds a forgotten NUL itself when the character after the data is one: the
    // character after these is not.
    SetRawValue(scratch.Path(), L"unterminated", REG_SZ, L"abcd", 6);
    SetRawValue(scratch.Path(), L"odd", REG_SZ, "a\0b\0c", 5);
    SetRawValue(scratch.Path(), L"empty", REG_SZ, L"", 0);
    ASSERT_EQ(6u, ReadRawValue(scratch.Path(), L"unterminated").bytes.size());
    ASSERT_EQ(5u, ReadRawValue(scratch.Path(), L"odd").bytes.size());

    const CRegistryKey key = Scratch();
    HeapText text;
    ASSERT_TRUE(key.QueryValue(L"", text));
    EXPECT_STREQ(L"C:\\Tools\\vtplayer.exe,0", text.get());
    ASSERT_TRUE(key.QueryValue(L"expand", text));
    EXPECT_STREQ(L"%SystemRoot%\\x.dll,-3", text.get());
    ASSERT_TRUE(key.QueryValue(L"unterminated", text));
    EXPECT_STREQ(L"abc", text.get());
    EXPECT_EQ(L"abc", key.QueryTextIfPresent(L"unterminated"));
    ASSERT_TRUE(key.QueryValue(L"odd", text));
    EXPECT_EQ(0, std::wcsncmp(L"ab", text.get(), 2)); // the half character is kept as stored
    EXPECT_EQ(L'\0', text.get()[3]);
    ASSERT_TRUE(key.QueryValue(L"empty", text));
    EXPECT_STREQ(L"", text.get());
    // Texts beyond the room of a first read, one that fills it exactly without its NUL.
    const std::wstring longer(300, L'l'), filling(260, L'f');
    SetRawString(scratch.Path(), L"longer", longer);
    SetRawValue(scratch.Path(), L"filling", REG_SZ, filling.c_str(), 520);
    EXPECT_EQ(longer, key.QueryTextIfPresent(L"longer"));
    EXPECT_EQ(filling, key.QueryTextIfPresent(L"filling"));
}

TEST_F(RegistryKeyTest, QueryValueOfANumberReturnsFalseAndLeavesTheOutputAlone) {
    const DWORD number = 42;
    SetRawValue(scratch.Path(), nullptr, REG_DWORD, &number, sizeof number);
    HeapText text(static_cast<wchar_t*>(std::calloc(8, sizeof(wchar_t))));
    text.get()[0] = L'z';
    wchar_t* const before = text.get();
    EXPECT_FALSE(Scratch().QueryValue(L"", text));
    EXPECT_FALSE(Scratch().QueryTextIfPresent(L""));
    EXPECT_EQ(before, text.get());
    EXPECT_STREQ(L"z", text.get());
}

TEST_F(RegistryKeyTest, QueryValueOfAMissingDefaultValueThrowsFileNotFound) {
    SetRawString(scratch.Path(), L"named", L"only a named value");
    HeapText text;
    const auto e = Thrown([&] { Scratch().QueryValue(L"", text); });
    ExpectFailure(e, ERROR_FILE_NOT_FOUND, L"CRegistryKey::QueryValue()");
    EXPECT_EQ(nullptr, text.get());
    EXPECT_FALSE(Scratch().QueryTextIfPresent(L"")); // without an exception
}

TEST_F(RegistryKeyTest, SetValueWritesTheTextWithItsNulAsTheGivenStringType) {
    const CRegistryKey key = Scratch();
    key.SetValue(nullptr, REG_SZ, L"open");
    key.SetValue(L"empty", REG_SZ, L"");
    key.SetValue(L"expand", REG_EXPAND_SZ, L"%TEMP%");

    const RawValue open = ReadRawValue(scratch.Path(), nullptr);
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), open.type);
    EXPECT_EQ(10u, open.bytes.size());
    EXPECT_EQ(std::wstring(L"open", 5), open.Text());
    const RawValue empty = ReadRawValue(scratch.Path(), L"empty");
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), empty.type);
    EXPECT_EQ(2u, empty.bytes.size());
    const RawValue expand = ReadRawValue(scratch.Path(), L"expand");
    EXPECT_EQ(static_cast<DWORD>(REG_EXPAND_SZ), expand.type);
    EXPECT_EQ(std::wstring(L"%TEMP%", 7), expand.Text());

    key.SetEmptyValue(L"none");
    const RawValue none = ReadRawValue(scratch.Path(), L"none");
    EXPECT_TRUE(none.result == ERROR_SUCCESS && none.type == REG_NONE && none.bytes.empty());
    const CRegistryKey readOnly(HKEY_CURRENT_USER, scratch.Path(), KEY_QUERY_VALUE);
    ExpectFailure(Thrown([&] { readOnly.SetEmptyValue(L"x"); }), ERROR_ACCESS_DENIED,
                  L"CRegistryKey::SetValue()");
}

TEST_F(RegistryKeyTest, SetValueRefusesOtherTypesBeforeWritingAnything) {
    for (DWORD type : {DWORD{REG_DWORD}, DWORD{REG_MULTI_SZ}, DWORD{REG_BINARY}}) {
        const auto e = Thrown([&] { Scratch().SetValue(L"v", type, L"12"); });
        ExpectFailure(e, ERROR_INVALID_FLAGS, L"CRegistryKey::SetValue()");
        EXPECT_EQ(ERROR_FILE_NOT_FOUND, ReadRawValue(scratch.Path(), L"v").result);
    }
}

TEST_F(RegistryKeyTest, AnIteratorStandsOnTheFirstSubkeyWithTheIndexPastItOrAtTheEnd) {
    SetRawString(scratch.Path(), L"v", L"values are not subkeys");
    const CRegistryKey key = Scratch();
    const CRegistryKey::SubkeyIterator end;
    EXPECT_TRUE(CRegistryKey::SubkeyIterator(key) == end);

    CreateRawKey(scratch.Below(L"only"));
    const CRegistryKey::SubkeyIterator it(key);
    EXPECT_TRUE(it != end);
    EXPECT_STREQ(L"only", it.GetName());
    EXPECT_EQ(1u, it.GetIndex());
    // Equal iterators walk the same counted key: copies of a key share it, a second opening
    // does not.
    const CRegistryKey copy = key;
    EXPECT_TRUE(CRegistryKey::SubkeyIterator(copy) == it);
    EXPECT_FALSE(CRegistryKey::SubkeyIterator(Scratch()) == it);
}

TEST_F(RegistryKeyTest, AnIteratorFindsTheLongestNameAndGrowsForANameAddedLater) {
    const std::wstring longest(255, L'n');
    CreateRawKey(scratch.Below(L"b"));
    {
        CRegistryKey::SubkeyIterator it{Scratch()}; // keeps the key open by itself
        ASSERT_STREQ(L"b", it.GetName());
        // A longer name now stands at the iterator's index: the buffer has to grow for it.
        CreateRawKey(scratch.Below(L"c" + std::wstring(40, L'x')));
        ASSERT_TRUE(it.GetSubkeyInfo());
        EXPECT_EQ(L"c" + std::wstring(40, L'x'), it.GetName());
        DeleteRawTree(scratch.Below(L"c" + std::wstring(40, L'x')));
        EXPECT_FALSE(it.GetSubkeyInfo());
        EXPECT_STREQ(L"", it.GetName());
    }
    DeleteRawTree(scratch.Below(L"b"));
    CreateRawKey(scratch.Below(longest));
    const CRegistryKey::SubkeyIterator it{Scratch()};
    EXPECT_EQ(longest, it.GetName());
}

TEST_F(RegistryKeyTest, CopiesShareOneKeyThatClosesWithTheLastOfThem) {
    HKEY raw = nullptr;
    {
        auto first = std::make_unique<CRegistryKey>(Scratch());
        const CRegistryKey second = *first;
        raw = second.GetHandle();
        EXPECT_EQ(first->GetHandle(), raw);
        first.reset();
        second.SetValue(L"v", REG_SZ, L"still open");
        EXPECT_TRUE(IsOpen(raw));
    }
    EXPECT_EQ(L"still open", ReadRawValue(scratch.Path(), L"v").String());
    EXPECT_FALSE(IsOpen(raw));
}

TEST_F(RegistryKeyTest, AssignmentTakesTheOtherKeyAndClosesItsOwnWhenLast) {
    CreateRawKey(scratch.Below(L"a"));
    CreateRawKey(scratch.Below(L"b"));
    CRegistryKey a = Scratch().OpenKey(L"a", KEY_SET_VALUE);
    auto b = std::make_unique<CRegistryKey>(Scratch().OpenKey(L"b", KEY_SET_VALUE));
    const HKEY oldA = a.GetHandle();
    a = *b;
    EXPECT_EQ(b->GetHandle(), a.GetHandle());
    EXPECT_FALSE(IsOpen(oldA));
    b.reset(); // a holds a reference of its own
    CRegistryKey& self = a;
    a = self;
    a.SetValue(L"v", REG_SZ, L"b");
    EXPECT_EQ(L"b", ReadRawValue(scratch.Below(L"b"), L"v").String());
}

namespace {

// A counted handle that records how it is given back.
struct Tracker {
    int destroyed = 0;
    int deleted = 0;
};

class TrackedHandle : public TReferenceCounted<Tracker*, TrackedHandle> {
public:
    explicit TrackedHandle(Tracker* tracker) : TReferenceCounted(tracker) {}
    ~TrackedHandle() override { ++handle->deleted; }

protected:
    void DestroyHandle() override {
        ++handle->destroyed;
        throw 1; // must not escape from Release
    }
};

} // namespace

TEST_F(RegistryKeyTest, AWatchSeesChangesBelowItsKeysAndWatchesTheParentWhileAKeyIsAbsent) {
    CreateRawKey(scratch.Below(L"group"));
    CreateRawKey(scratch.Below(L"second"));
    CRegistryWatch watch({scratch.Below(L"group\\watched"), scratch.Below(L"second")});
    EXPECT_TRUE(watch.Changed()) << "not armed: nobody can say that nothing changed";
    const std::pair<const wchar_t*, std::function<void()>> steps[] = {
        {L"the key created (its parent was watched)",
         [&] { CreateRawKey(scratch.Below(L"group\\watched")); }},
        {L"a value in it", [&] { SetRawString(scratch.Below(L"group\\watched"), L"v", L"1"); }},
        {L"a value deep below it",
         [&] { SetRawString(scratch.Below(L"group\\watched\\a\\b"), L"v", L"1"); }},
        {L"a subkey deleted", [&] { DeleteRawTree(scratch.Below(L"group\\watched\\a")); }},
        {L"a value in the second key", [&] { SetRawString(scratch.Below(L"second"), L"v", L"1"); }},
    };
    for (const auto& [change, apply] : steps) {
        const std::string name = testing::PrintToString(std::wstring(change));
        ASSERT_TRUE(watch.Arm());
        SetRawString(scratch.Below(L"beside"), L"v", change); // outside the watched key
        EXPECT_FALSE(watch.Changed()) << "before: " << name;
        apply();
        EXPECT_TRUE(watch.Changed()) << name;
    }
}

TEST_F(RegistryKeyTest, ANameSetRulesOutOnlyNamesThatAListedKeyDoesNotHold) {
    for (const wchar_t* name : {L"VTaviFile", L"b", L"c", L"b\\locked\\VTaviFile"}) {
        CreateRawKey(scratch.Below(name));
    }
    SetRawKeyDenied(scratch.Below(L"b\\locked"), KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE);
    struct Case {
        const wchar_t* path; // below the scratch key
        std::size_t lookups;
        const wchar_t* name;
        bool mayHold;
    } const cases[] = {
        {L"", 4, L"VTaviFile", true},
        {L"", 4, L"vtAVIfile", true}, // letter case
        {L"", 4, L"VTmkvFile", false},
        {L"", 4, L"b\\deeper", false},
        {L"", 4, L"VT\u00c4File", true},         // beyond ASCII: the registry decides
        {L"", 3, L"VTmkvFile", true},            // not listed: as many subkeys as lookups
        {L"\\none", 4, L"VTaviFile", false},     // a key that is not there holds nothing
        {L"\\b\\locked", 4, L"VTaviFile", true}, // one that cannot be listed may hold anything
    };
    for (const Case& c : cases) {
        const SubkeyNameSet names(HKEY_CURRENT_USER, scratch.Path() + c.path, c.lookups);
        EXPECT_EQ(names.MayHold(c.name), c.mayHold)
            << testing::PrintToString(std::wstring(c.path)) << " "
            << testing::PrintToString(std::wstring(c.name)) << " " << c.lookups;
    }
    SetRawKeyDenied(scratch.Below(L"b\\locked"), 0); // so that the scratch key can go
}

TEST(ReferenceCounted, TheLastReleaseDestroysTheHandleOnceAndSwallowsItsFailure) {
    Tracker tracker;
    TrackedHandle* handle = new TrackedHandle(&tracker);
    handle->AddRef();
    EXPECT_EQ(nullptr, handle->Release());
    EXPECT_EQ(0, tracker.destroyed);
    EXPECT_EQ(nullptr, handle->Release());
    EXPECT_EQ(1, tracker.destroyed);
    EXPECT_EQ(1, tracker.deleted);
}

TEST(Win32Exception, GetErrorMessageIsTheSystemsTextForTheCode) {
    const CRegistryKey::Exception e(L"CRegistryKey::DeleteKey()", ERROR_ACCESS_DENIED);
    const std::wstring text = e.GetErrorMessage();
    wchar_t system[512] = {};
    FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                   ERROR_ACCESS_DENIED, 0, system, 511, nullptr);
    EXPECT_EQ(system, text);
    EXPECT_NE(std::wstring::npos, text.find(L"ccess")) << "the text for access denied";
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(L'\n', text.back());

    // Caught through the base class it is the same failure.
    try {
        throw e;
    } catch (const CWin32Exception& base) {
        EXPECT_STREQ(L"CRegistryKey::DeleteKey()", base.GetWhere());
        EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), base.GetError());
        EXPECT_EQ(text, base.GetErrorMessage());
    }
}

TEST(Win32Exception, AMessageWithPlaceholdersIsShownWithThemInsteadOfAnotherErrorsText) {
    // ERROR_BAD_EXE_FORMAT's text names "%1"; there are no arguments to put in its place.
    const CWin32Exception e(L"x", ERROR_BAD_EXE_FORMAT);
    const std::wstring text = e.GetErrorMessage();
    EXPECT_NE(std::wstring::npos, text.find(L"%1")) << std::string(text.begin(), text.end());
    // A code the system has no text for still gets one.
    EXPECT_FALSE(CWin32Exception(L"x", 0x2FFFFFFF).GetErrorMessage().empty());
}
