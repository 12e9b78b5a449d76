#include "catalogue/RegisteredIconProbe.h"
#include "registry/RegistryTestSupport.h"

#include <gtest/gtest.h>

// The probe reads HKCU\Software\Classes\VT<extension>File\DefaultIcon of the real registry. The
// file types here are named after extensions no other test registers, and are removed again.

namespace {

const wchar_t kPlayer[] = L"C:\\Tools\\vtplayer.exe";

class RegisteredIconProbeTest : public testing::Test {
protected:
    void SetUp() override {
        // A fresh Wine prefix lacks the user's own Classes key, which Windows always has.
        if (!RawKeyExists(kClasses)) {
            CreateRawKey(kClasses);
            createdClasses = true;
        }
    }
    void TearDown() override {
        for (const std::wstring& ext : added) {
            DeleteRawTree(TypeNames(ext).fileType);
        }
        if (createdClasses) {
            RegDeleteKeyW(HKEY_CURRENT_USER, kClasses.c_str());
        }
    }

    // An entry with the player's icon, whose file type is written as the test says.
    void Add(const std::wstring& extension) {
        catalogue.AddEntry({extension, kPlayer, L"0"});
        added.push_back(extension);
        DeleteRawTree(TypeNames(extension).fileType);
    }
    // The DefaultIcon key of the extension's file type, the way a registration names it.
    std::wstring IconKey(const std::wstring& upperExtension) const {
        return TypeNames(upperExtension).fileType + L"\\DefaultIcon";
    }
    const ExtensionEntry& Entry(const std::wstring& extension) {
        const ExtensionEntry* entry = catalogue.Find(extension);
        EXPECT_NE(nullptr, entry);
        static const ExtensionEntry none;
        return entry ? *entry : none;
    }
    void ExpectIcon(const std::wstring& extension, const std::wstring& file,
                    const std::wstring& index) {
        const ExtensionEntry& entry = Entry(extension);
        EXPECT_EQ(file, entry.iconFile) << std::string(extension.begin(), extension.end());
        EXPECT_EQ(index, entry.iconIndex) << std::string(extension.begin(), extension.end());
    }

    ExtensionCatalogue catalogue;
    std::vector<std::wstring> added;
    bool createdClasses = false;
};

} // namespace

TEST_F(RegisteredIconProbeTest, WithoutEarlierRegistrationsEveryEntryKeepsItsIcon) {
    Add(L"vtprobe1");
    Add(L"vtprobe2");
    ReadRegisteredIcons(catalogue);
    ExpectIcon(L"vtprobe1", kPlayer, L"0");
    ExpectIcon(L"vtprobe2", kPlayer, L"0");
}

TEST_F(RegisteredIconProbeTest, TheIconLocationIsSplitAtItsLastComma) {
    Add(L"vtprobe-a");
    Add(L"vtprobe-b");
    Add(L"vtprobe-c");
    Add(L"vtprobe-d");
    Add(L"vtprobe-e");
    Add(L"vtprobe-f");
    SetRawString(IconKey(L"VTPROBE-A"), nullptr, L"C:\\Icons\\media.dll,5");
    SetRawString(IconKey(L"VTPROBE-B"), nullptr, L"C:\\A,B\\x.dll,-102");
    SetRawString(IconKey(L"VTPROBE-C"), nullptr, L"written by another program");
    SetRawString(IconKey(L"VTPROBE-D"), nullptr, L"C:\\x.dll,");
    SetRawString(IconKey(L"VTPROBE-E"), nullptr, L"");
    const std::wstring expandable = L"C:\\%SystemRoot%\\shell32.dll, -3 ";
    SetRawValue(IconKey(L"VTPROBE-F"), nullptr, REG_EXPAND_SZ, expandable.c_str(),
                static_cast<DWORD>((expandable.size() + 1) * sizeof(wchar_t)));

    ReadRegisteredIcons(catalogue);
    ExpectIcon(L"vtprobe-a", L"C:\\Icons\\media.dll", L"5");
    ExpectIcon(L"vtprobe-b", kPlayer, L"0"); // a comma in the file: not carried over
    ExpectIcon(L"vtprobe-c", L"", L"written by another program");
    ExpectIcon(L"vtprobe-d", L"C:\\x.dll", L"");
    ExpectIcon(L"vtprobe-e", L"", L"");
    ExpectIcon(L"vtprobe-f", L"C:\\%SystemRoot%\\shell32.dll", L" -3 ");
}

TEST_F(RegisteredIconProbeTest, AnUnreadableIconLeavesItsEntryAloneAndTheWalkGoesOn) {
    Add(L"vtprobe-1"); // DefaultIcon without a default value
    Add(L"vtprobe-2"); // a number as the default value
    Add(L"vtprobe-3"); // a file type without DefaultIcon
    Add(L"vtprobe-4"); // on another computer: never carried over
    Add(L"vtprobe-5"); // readable, after all the others
    SetRawString(IconKey(L"VTPROBE-1"), L"named", L"x.dll,1");
    const DWORD number = 7;
    SetRawValue(IconKey(L"VTPROBE-2"), nullptr, REG_DWORD, &number, sizeof number);
    SetRawString(TypeNames(L"VTPROBE-3").fileType, nullptr, L"A file type");
    SetRawString(IconKey(L"VTPROBE-4"), nullptr, L"\\\\192.0.2.5\\icons\\x.ico,1");
    SetRawString(IconKey(L"VTPROBE-5"), nullptr, L"C:\\y.dll,2");

    ReadRegisteredIcons(catalogue);
    ExpectIcon(L"vtprobe-1", kPlayer, L"0");
    ExpectIcon(L"vtprobe-2", kPlayer, L"0");
    ExpectIcon(L"vtprobe-3", kPlayer, L"0");
    ExpectIcon(L"vtprobe-4", kPlayer, L"0");
    ExpectIcon(L"vtprobe-5", L"C:\\y.dll", L"2");
}

TEST_F(RegisteredIconProbeTest, TheTextEndsAtItsFirstZeroCharacter) {
    Add(L"vtprobe-z");
    SetRawValue(IconKey(L"VTPROBE-Z"), nullptr, REG_SZ, L"C:\\a.dll,4\0b.dll,9", 19 * 2);
    ReadRegisteredIcons(catalogue);
    ExpectIcon(L"vtprobe-z", L"C:\\a.dll", L"4");
}
