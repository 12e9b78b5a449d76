// IDF files that nobody should write, loaded as a user would load them: the program neither
// crashes nor hangs, every box is answered, and the catalogue holds exactly the statements that
// were recognised. The files are made at run time in the Wine prefix.
#include "definitions/IdfTestSupport.h"

#include "app/IdfLoadBoxes.h"

#include <gtest/gtest.h>

#include <iterator>
#include <random>
#include <set>
#include <vector>

namespace {

class IdfHostileFilesTest : public ::testing::Test {
protected:
    // Writes the bytes as the file `name`, loads it into a fresh catalogue and returns the boxes
    // that the load showed (each answered with OK).
    std::vector<MessageBoxInfo> Load(const wchar_t* name, const std::string& bytes) {
        const std::wstring path = folder.Path() + name;
        EXPECT_TRUE(WriteBytes(path, bytes));
        catalogue = ExtensionCatalogue();
        std::vector<MessageBoxInfo> boxes;
        {
            MessageBoxWatcher watcher([](const MessageBoxInfo&) { return IDOK; });
            LoadIdfFile(path.c_str(), owner.hwnd, catalogue);
            boxes = watcher.Seen();
        }
        for (const MessageBoxInfo& box : boxes) {
            const bool refused = box.caption == L"Line Refused";
            EXPECT_TRUE(refused || box.caption == L"Parse Error")
                << testing::PrintToString(box.text);
            EXPECT_EQ(box.owner, owner.hwnd);
            // A usable box: the line is shown cut, the buttons stay on the screen (a refused
            // line's box adds one sentence).
            EXPECT_LE(box.text.size(),
                      ParseErrorBoxText(std::wstring(ShownLineChars + 4, L'x')).size() +
                          (refused ? 100 : 0));
        }
        EXPECT_FALSE(owner.TakeCloseRequest());
        EXPECT_TRUE(WritableByOthers(path)) << "the file is closed after the load";
        return boxes;
    }

    std::set<std::wstring> Extensions() const {
        std::set<std::wstring> keys;
        for (const auto& keyAndEntry : catalogue) {
            keys.insert(keyAndEntry.first);
        }
        return keys;
    }

    TestFolder folder{L"vt-idf-hostile"};
    StandInMainWindow owner;
    ExtensionCatalogue catalogue;
};

TEST_F(IdfHostileFilesTest, RandomBytes) {
    std::mt19937 random(20240611);
    std::string bytes(64 * 1024, '\0');
    for (char& byte : bytes) {
        byte = static_cast<char>(random() & 0xFF);
        if (byte == '\n') {
            byte = ' '; // a few lines only: every one of them is a box to answer
        }
    }
    bytes[0] = 'R'; // no byte-order mark: the system's code page
    bytes[20000] = bytes[40000] = bytes[60000] = '\n';
    const std::vector<MessageBoxInfo> boxes = Load(L"random.idf", bytes);
    EXPECT_EQ(boxes.size(), 4u);
    EXPECT_TRUE(Extensions().empty());
}

TEST_F(IdfHostileFilesTest, ATenMegabyteStatement) {
    const std::string path(10 << 20, 'x');
    const std::vector<MessageBoxInfo> boxes =
        Load(L"long-statement.idf", "AddExt(ext=long,index=1,file=" + path +
                                        ")\r\nAddExt(ext=after,file=a.dll,index=2)\n");
    // Read whole, and refused as no path that Windows opens.
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find(L"\nThe icon file's path is longer than 259 characters.\n"),
              std::wstring::npos);
    EXPECT_EQ(Extensions(), (std::set<std::wstring>{L"after"}));
}

TEST_F(IdfHostileFilesTest, ATenMegabyteLineThatDefeatsTheMatcher) {
    // Every start of a statement here can be tried in very many ways, none of which ends.
    std::string line;
    while (line.size() < (10u << 20)) {
        line += "AddExt(ext=a,file=b,";
    }
    const std::vector<MessageBoxInfo> boxes =
        Load(L"long-hostile.idf", line + "\nAddExt(ext=after,file=a.dll,index=2)\n");
    ASSERT_EQ(boxes.size(), 1u);
    const std::wstring shown(line.begin(), line.begin() + ShownLineChars);
    EXPECT_EQ(boxes[0].text, ParseErrorBoxText(shown + L" [\u2026]"));
    EXPECT_EQ(Extensions(), (std::set<std::wstring>{L"after"}));
}

TEST_F(IdfHostileFilesTest, InvalidUtf8) {
    // Bytes that decode to something odd stand before and after the statements, with blanks
    // enough that no sequence reaches into a statement. The overlong form of NUL (C0 80) ends
    // the line it is in.
    const std::vector<MessageBoxInfo> boxes =
        Load(L"invalid-utf8.idf", "\xEF\xBB\xBF"
                                  "\xF8\x80\xC3\xFF    AddExt(ext=u1,file=a.dll,index=1)\xE2\x82\n"
                                  "\xC0\xAF\xED\xA0\x80 \x80\xBF    AddExt(ext=u2,file=b.dll,"
                                  "index=2) \xF4\x90\x80\x80\r\n"
                                  "\xFE\xFF\xFE\xFF no statement \xC3\n"
                                  "\xC0\x80"
                                  "AddExt(ext=u4,file=d.dll,index=4)\n"
                                  "AddExt(ext=u3,file=c.dll,index=3)\xF0");
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].text, ParseErrorBoxText(L""));
    EXPECT_EQ(Extensions(), (std::set<std::wstring>{L"u1", L"u2", L"u3"}));
}

TEST_F(IdfHostileFilesTest, Utf16WithAnOddNumberOfBytes) {
    const std::wstring text =
        L"AddExt(ext=o1,file=a.dll,index=1)\r\nAddExt(ext=o2,file=b.dll,index=2)";
    EXPECT_TRUE(Load(L"odd-le.idf", EncodeIdfText(text, IdfEncoding::Utf16LE) + "Z").empty());
    EXPECT_EQ(Extensions(), (std::set<std::wstring>{L"o1", L"o2"}));
    EXPECT_TRUE(Load(L"odd-be.idf", EncodeIdfText(text, IdfEncoding::Utf16BE) + "Z").empty());
    EXPECT_EQ(Extensions(), (std::set<std::wstring>{L"o1", L"o2"}));
    const std::vector<MessageBoxInfo> boxes = Load(L"odd-mark.idf", std::string("\xFF\xFE\x41", 3));
    ASSERT_EQ(boxes.size(), 1u); // the lone byte is a character that cannot be decoded
    EXPECT_EQ(boxes[0].text, ParseErrorBoxText(L"\uFFFD"));
    EXPECT_TRUE(Extensions().empty());
}

TEST_F(IdfHostileFilesTest, NulCharactersEndTheLine) {
    static const wchar_t raw[] = L"AddExt(ext=n1,file=a,index=1)\0 trailing\r\n"
                                 L"\0AddExt(ext=n2,file=b,index=2)\r\n"
                                 L"AddExt(ext=n3,fi\0le=c,index=3)\r\n"
                                 L"AddExt(ext=n4,file=d,index=4)\r\n";
    const std::wstring text(raw, std::size(raw) - 1);
    for (IdfEncoding encoding :
         {IdfEncoding::Ansi, IdfEncoding::Utf8, IdfEncoding::Utf16LE, IdfEncoding::Utf16BE}) {
        SCOPED_TRACE(EncodingName(encoding));
        const std::vector<MessageBoxInfo> boxes =
            Load(L"nul-characters.idf", EncodeIdfText(text, encoding));
        ASSERT_EQ(boxes.size(), 2u);
        EXPECT_EQ(boxes[0].text, ParseErrorBoxText(L""));
        EXPECT_EQ(boxes[1].text, ParseErrorBoxText(L"AddExt(ext=n3,fi"));
        EXPECT_EQ(Extensions(), (std::set<std::wstring>{L"n1", L"n4"}));
    }
}

TEST_F(IdfHostileFilesTest, AHundredThousandLines) {
    std::string bytes = "\xEF\xBB\xBF";
    std::set<std::wstring> expected;
    for (int n = 0; n < 100000; ++n) {
        const std::string number = std::to_string(n);
        if (n % 25000 == 12345) {
            bytes += "garbage line " + number + "\r\n";
        } else {
            bytes += "AddExt(ext=H" + number + ",file=icons\\h" + number + ".dll,index=" + number +
                     ")\r\n";
            expected.insert(L"h" + std::wstring(number.begin(), number.end()));
        }
    }
    const std::vector<MessageBoxInfo> boxes = Load(L"many.idf", bytes);
    ASSERT_EQ(boxes.size(), 4u);
    EXPECT_EQ(boxes[3].text, ParseErrorBoxText(L"garbage line 87345"));
    EXPECT_EQ(catalogue.Size(), 99996u);
    EXPECT_EQ(Extensions(), expected);
    const ExtensionEntry* last = catalogue.Find(L"h99999");
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->iconFile, folder.Path() + L"icons\\h99999.dll");
    EXPECT_EQ(last->iconIndex, L"-99999");
}

} // namespace
