// What the readers deliver, line by line, for files of every encoding, at block boundaries and
// for damaged input.
#include "TempFile.h"
#include "definitions/TextFile.h"

#include <gtest/gtest.h>

#include <cwchar>

using namespace std::string_literals;

namespace {

struct Case {
    const char* what;
    std::string bytes;
    std::uint32_t encoding;
    std::vector<std::wstring> lines;
};

std::string Repeat(char c, std::size_t n) {
    return std::string(n, c);
}
std::wstring WRepeat(wchar_t c, std::size_t n) {
    return std::wstring(n, c);
}
// UTF-16 bytes of an ASCII text, little- or big-endian.
std::string Utf16(const std::string& ascii, bool bigEndian) {
    std::string out;
    for (char c : ascii) {
        out += bigEndian ? "\0"s + c : c + "\0"s;
    }
    return out;
}

const std::string utf8Mark = "\xEF\xBB\xBF", leMark = "\xFF\xFE", beMark = "\xFE\xFF";

// `count` copies of a line, as bytes and as the lines read back.
std::string Lines(const std::string& line, std::size_t count) {
    std::string bytes;
    for (std::size_t i = 0; i < count; ++i) {
        bytes += line;
    }
    return bytes;
}
std::vector<std::wstring> Same(const std::wstring& line, std::size_t count) {
    return std::vector<std::wstring>(count, line);
}

const Case cases[] = {
    {"empty file", "", EncodingUnknown, {}},
    {"only a UTF-8 mark", utf8Mark, EncodingUtf8, {}},
    {"only a UTF-16 mark", leMark, EncodingUtf16LE, {}},
    {"lone EF is ANSI", "\xEF", EncodingAnsi, {L"\u00EF"}},
    {"EF BB A is ANSI",
     "\xEF\xBB"
     "A",
     EncodingAnsi,
     {L"\u00EF\u00BB"
      L"A"}},
    {"FF A is ANSI",
     "\xFF"
     "A",
     EncodingAnsi,
     {L"\u00FF"
      L"A"}},
    {"code page 1252", "\x80\xE9", EncodingAnsi, {L"\u20AC\u00E9"}},
    {"CR LF", "a\r\nb", EncodingAnsi, {L"a", L"b"}},
    {"empty line", "a\n\nb\n", EncodingAnsi, {L"a", L"", L"b"}},
    {"CR inside a line", "a\rb\n", EncodingAnsi, {L"a\rb"}},
    {"CR at the end of the file", "ab\r", EncodingAnsi, {L"ab"}},
    {"only CRs", Repeat('\r', 10000), EncodingAnsi, {WRepeat(L'\r', 9997)}},
    {"NUL ends the ANSI line", "a\0b\nc"s, EncodingAnsi, {L"a", L"c"}},
    {"UTF-8 decoding",
     utf8Mark + "h\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\r\n\xF8\xFF\n",
     EncodingUtf8,
     {L"h\u00E9\u20AC\xD83D\xDE00", L"\xFFFD\xFFFD"}},
    {"UTF-8 beyond U+10FFFF",
     utf8Mark + "\xF4\x90\x80\x80\xF7\xBF\xBF\xBF",
     EncodingUtf8,
     {L"\xDBFF\xDFFF\xDBFF\xDFFF"}},
    {"UTF-8 continuation bytes unchecked",
     utf8Mark + "\xC3"
                "A",
     EncodingUtf8,
     {L"\u00C1"}},
    {"UTF-8 cut short",
     utf8Mark + "a\xC3\n\xE2\x82\n\xC3\0x\nb\xF0\x9F\x98"s,
     EncodingUtf8,
     {L"a\xFFFD", L"\xFFFD", L"\xFFFD", L"b\xFFFD"}},
    {"UTF-16LE",
     leMark + Utf16("A\r\nB\rC\n\nD", false),
     EncodingUtf16LE,
     {L"A", L"B\rC", L"", L"D"}},
    {"UTF-16BE in native order",
     beMark + Utf16("AB\r\n", true) + "\x4E\x2D",
     EncodingUtf16BE,
     {L"AB", L"\u4E2D"}},
    {"UTF-16 NUL unit", leMark + Utf16("A"s + '\0' + "B\nC", false), EncodingUtf16LE, {L"A", L"C"}},
    {"UTF-16LE odd byte", leMark + Utf16("A\n", false) + "B", EncodingUtf16LE, {L"A", L"\xFFFD"}},
    {"UTF-16BE odd byte", beMark + Utf16("AB", true) + "\0"s, EncodingUtf16BE, {L"AB\xFFFD"}},
    // A carriage return that ends a 4096-byte block is dropped even when no line feed follows.
    {"CR ends block, text follows",
     Repeat('a', 4095) + "\rb\n",
     EncodingAnsi,
     {WRepeat(L'a', 4095) + L"b"}},
    {"CR LF across blocks", Repeat('a', 4095) + "\r\n", EncodingAnsi, {WRepeat(L'a', 4095)}},
    {"CR LF at block end", Repeat('a', 4094) + "\r\nz", EncodingAnsi, {WRepeat(L'a', 4094), L"z"}},
    {"LF ends the first block", Repeat('a', 4095) + "\n", EncodingAnsi, {WRepeat(L'a', 4095)}},
    {"LF starts the second block", Repeat('a', 4096) + "\n", EncodingAnsi, {WRepeat(L'a', 4096)}},
    {"4097 bytes without LF", Repeat('a', 4097), EncodingAnsi, {WRepeat(L'a', 4097)}},
    {"CR ends the file and the block",
     Repeat('a', 4095) + "\r",
     EncodingAnsi,
     {WRepeat(L'a', 4095)}},
    {"UTF-8 blocks start after the mark",
     utf8Mark + Repeat('a', 4095) + "\rb",
     EncodingUtf8,
     {WRepeat(L'a', 4095) + L"b"}},
    {"UTF-16 CR ends block",
     leMark + Utf16(Repeat('a', 2047) + "\rb", false),
     EncodingUtf16LE,
     {WRepeat(L'a', 2047) + L"b"}},
    {"UTF-16 CR LF across blocks",
     beMark + Utf16(Repeat('a', 2047) + "\r\nz", true),
     EncodingUtf16BE,
     {WRepeat(L'a', 2047), L"z"}},
    // Disk files are read many blocks at a time; the blocks stay what single reads would give.
    {"CR ends a block after the first reads",
     Repeat('a', 16 * 4096 + 4095) + "\rb\n",
     EncodingAnsi,
     {WRepeat(L'a', 16 * 4096 + 4095) + L"b"}},
    {"lines across many reads", Lines("0123456789abcdefg\r\n", 9000), EncodingAnsi,
     Same(L"0123456789abcdefg", 9000)},
    {"UTF-16BE lines across many reads", beMark + Utf16(Lines("ab\r\n", 40000), true),
     EncodingUtf16BE, Same(L"ab", 40000)},
    // Lines of ASCII are taken sixteen bytes at a time until a byte that is not.
    {"ASCII then more",
     utf8Mark + "abcdefghijklmnopq\xC3\xA9r\nabcdefghijklmnopqrs\0t\nabcdefghijklmnopqrstuvw\r\n"s,
     EncodingUtf8,
     {L"abcdefghijklmnopq\u00E9r", L"abcdefghijklmnopqrs", L"abcdefghijklmnopqrstuvw"}},
    {"ANSI ASCII then more",
     "abcdefghijklmnopq\xE9r\nabcdefghijklmnopqrs\0t\n"s,
     EncodingAnsi,
     {L"abcdefghijklmnopq\u00E9r", L"abcdefghijklmnopqrs"}},
    {"UTF-16BE NUL unit after eight",
     beMark + Utf16("ABCDEFGHIJ"s + '\0' + "KLMNOPQRSTUV\nW", true),
     EncodingUtf16BE,
     {L"ABCDEFGHIJ", L"W"}},
    {"UTF-8 line of 3 MB",
     utf8Mark + Repeat('x', 3 << 20) + "\xC3\xA9\r\nend",
     EncodingUtf8,
     {WRepeat(L'x', 3 << 20) + L"\u00E9", L"end"}},
    {"UTF-16BE line of 2 MB",
     beMark + Utf16(Repeat('y', 1 << 20) + "\r\n", true),
     EncodingUtf16BE,
     {WRepeat(L'y', 1 << 20)}},
};

} // namespace

TEST(LineSplitting, DeliversEveryLineOfEveryEncodingAndEnds) {
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempFile temp(c.bytes);
        TextFile file;
        file.codePage = 1252;
        ASSERT_EQ(file.Open(temp.Path()), TextFileOk);
        EXPECT_EQ(file.encoding, c.encoding);

        LineBuffer<wchar_t> line;
        std::size_t count = 0;
        while (count <= c.lines.size() &&
               file.reader->ReadLine(line.Pointer(), file.codePage) == TextFileOk) {
            const std::size_t length = std::wcslen(line.Text());
            const LineBufferHeader* header = line.Header();
            EXPECT_EQ(header->tag, LineBufferTag);
            EXPECT_EQ(header->capacity % 1024, 0u);
            // The header counts what the line holds, NULs within included, up to its terminator.
            EXPECT_LE(header->used, header->capacity);
            EXPECT_GE(header->used, (length + 1) * sizeof(wchar_t));
            EXPECT_EQ(line.Text()[header->used / sizeof(wchar_t) - 1], L'\0');
            if (count < c.lines.size()) {
                EXPECT_TRUE(line.Text() == c.lines[count]) << "line " << count << " differs";
            }
            ++count;
        }
        EXPECT_EQ(count, c.lines.size());
        EXPECT_EQ(file.reader->ReadLine(line.Pointer(), file.codePage), TextFileEnd);
    }
}

TEST(LineSplitting, TheEndOfAnAnsiFileLeavesTheCallersLineAlone) {
    TempFile temp("only\n");
    TextFile file;
    ASSERT_EQ(file.Open(temp.Path()), TextFileOk);
    LineBuffer<wchar_t> line;
    ASSERT_EQ(file.reader->ReadLine(line.Pointer(), 0), TextFileOk);
    const wchar_t* block = line.Pointer();
    EXPECT_EQ(file.reader->ReadLine(line.Pointer(), 0), TextFileEnd);
    EXPECT_EQ(line.Pointer(), block);
    EXPECT_STREQ(line.Text(), L"only");
}
