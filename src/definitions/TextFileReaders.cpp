#include "definitions/ByteScan.h"
#include "definitions/TextFile.h"

#include <cstring>

using namespace bytescan;

namespace {

// Longest lines kept, in bytes. A narrow line must still fit the wide buffer that its ANSI
// conversion needs (two bytes per byte and a NUL); the rest of a longer line is left out.
constexpr std::size_t NarrowLineMaxBytes = LineBufferMaxCapacity / 2 - 1;
constexpr std::size_t WideLineMaxBytes = LineBufferMaxCapacity - 2;

// The bytes that a narrow line holds, NULs within included.
std::size_t NarrowBytes(const char* line) {
    return LineBufferHeaderOf(line)->used - 1;
}

// How a UTF-8 lead byte starts a sequence: the bits it gives and the bytes that follow it. A
// byte that starts no sequence stands for U+FFFD.
struct Utf8Lead {
    unsigned bits;
    unsigned following;
};

Utf8Lead DecodeLead(unsigned lead) {
    if (lead < 0x80) {
        return {lead, 0};
    }
    if (lead <= 0xDF) {
        return {lead & 0x1F, 1};
    }
    if (lead <= 0xEF) {
        return {lead & 0x0F, 2};
    }
    if (lead <= 0xF7) {
        return {lead & 0x07, 3};
    }
    return {ReplacementCharacter, 0};
}

} // namespace

TextFileReader::TextFileReader(const wchar_t* fileName, HANDLE file, std::uint32_t bufferCapacity)
    : fileName(fileName), file(file), bufferCapacity(bufferCapacity),
      readAhead(bufferCapacity != 0 && bufferCapacity < ReaderReadAheadSize &&
                GetFileType(file) == FILE_TYPE_DISK) {
    storeCapacity = readAhead ? ReaderReadAheadSize : bufferCapacity;
    if (storeCapacity != 0) {
        buffer.reset(new unsigned char[storeCapacity]);
    }
}

int TextFileReader::ReadChar() {
    return TextFileEnd;
}

int TextFileReader::ReadLine(wchar_t*& /*line*/, UINT /*codePage*/) {
    return TextFileEnd;
}

template <unsigned UnitSize, bool BigEndian, class Char>
inline int TextFileReader::SplitLine(Char*& line, std::size_t maxBytes) {
    static_assert(sizeof(Char) == UnitSize, "a line holds the file's units");
    // Usually the whole line, line feed included, lies in the buffer: it is copied at once.
    const unsigned char* start = buffer.get() + readPosition;
    const std::size_t units = (byteCount - readPosition) / UnitSize;
    const std::size_t taken = units > 0 ? FindLineFeed<UnitSize, BigEndian>(start, units) : 0;
    if (taken < units) {
        const std::size_t length = UnitsBeforeCarriageReturn<UnitSize, BigEndian>(start, taken);
        const std::size_t bytes = length * UnitSize;
        if (bytes <= maxBytes && ReserveLineBuffer(line, bytes + UnitSize)) {
            CopyLineBytes(reinterpret_cast<unsigned char*>(line), start, bytes);
            EndLineAt(line, length);
            readPosition += static_cast<std::uint32_t>((taken + 1) * UnitSize);
            return TextFileOk;
        }
    }
    void* block = line;
    const int result = SplitLineAcrossBlocks<UnitSize, BigEndian>(block, maxBytes);
    line = static_cast<Char*>(block);
    return result;
}

// The usual case, kept small: the buffer has room for the line already, which is widened as it
// is looked at.
inline bool TextFileReader::ReadAsciiLine(wchar_t*& line, std::size_t minimumBytes) {
    LineBufferHeader* header = LineBufferHeaderOf(line);
    const unsigned char* start = buffer.get() + readPosition;
    std::size_t lineFeed = 0;
    if (header == nullptr || header->capacity < minimumBytes ||
        !WidenAsciiLine(start, byteCount - readPosition, line, header->capacity / sizeof(wchar_t),
                        lineFeed)) {
        return ReadAsciiLineMakingRoom(line, minimumBytes);
    }
    EndLineAt(line, UnitsBeforeCarriageReturn<1, false>(start, lineFeed));
    readPosition += static_cast<std::uint32_t>(lineFeed + 1);
    return true;
}

int ANSI_TextFileReader::ReadChar() {
    return ReadByteSkippingCR();
}

int ANSI_TextFileReader::ReadLine(wchar_t*& line, UINT codePage) {
    // Most lines are ASCII, and lie whole in the block: they need neither a copy nor the system.
    if (codePage == checkedCodePage && asciiMapsToItself && ReadAsciiLine(line, 0)) {
        return TextFileOk;
    }
    return ReadConvertedLine(line, codePage);
}

int ANSI_TextFileReader::ReadConvertedLine(wchar_t*& line, UINT codePage) {
    const int split = SplitLine<1, false>(narrowLine.Pointer(), NarrowLineMaxBytes);
    if (split != TextFileOk) {
        return split;
    }
    // The line is converted up to its first NUL.
    const unsigned char* text = reinterpret_cast<const unsigned char*>(narrowLine.Pointer());
    std::size_t length = NarrowBytes(narrowLine.Pointer());
    bool plainAscii = PlainAsciiPrefix(text, length) == length;
    if (!plainAscii) {
        length = FindByte(text, length, 0);
        plainAscii = PlainAsciiPrefix(text, length) == length;
    }
    int converted = 0;
    if (ReserveLineBuffer(line, 2 * (length + 1))) {
        if (plainAscii && AsciiMapsToItself(codePage)) {
            WidenAscii(text, length, line);
            converted = static_cast<int>(length);
        } else if (length > 0) {
            converted =
                MultiByteToWideChar(codePage, 0, narrowLine.Pointer(), static_cast<int>(length),
                                    line, static_cast<int>(length));
        }
    } else {
        // Too long to convert: like a failed conversion, an empty line.
        ReserveLineBlock(line);
    }
    EndLineAt(line, static_cast<std::size_t>(converted));
    return TextFileOk;
}

// Lines of ASCII bytes skip the system's conversion when the code page, asked once, turns every
// ASCII byte into the same character and has no shift states (at most two bytes a character).
bool ANSI_TextFileReader::AsciiMapsToItself(UINT codePage) {
    if (codePage != checkedCodePage) {
        LearnAsciiMapping(codePage);
    }
    return asciiMapsToItself;
}

void ANSI_TextFileReader::LearnAsciiMapping(UINT codePage) {
    checkedCodePage = codePage;
    asciiMapsToItself = false;
    CPINFO info = {};
    if (GetCPInfo(codePage, &info) && (info.MaxCharSize <= 2 || codePage == CP_UTF8)) {
        char ascii[127];
        wchar_t wide[127];
        for (int i = 0; i < 127; ++i) {
            ascii[i] = static_cast<char>(i + 1);
        }
        asciiMapsToItself = MultiByteToWideChar(codePage, 0, ascii, 127, wide, 127) == 127;
        for (int i = 0; i < 127 && asciiMapsToItself; ++i) {
            asciiMapsToItself = wide[i] == static_cast<wchar_t>(i + 1);
        }
    }
}

int UTF8_TextFileReader::ReadChar() {
    const int lead = ReadByteSkippingCR();
    if (lead < 0) {
        return lead;
    }
    const Utf8Lead decoded = DecodeLead(static_cast<unsigned>(lead));
    int codePoint = static_cast<int>(decoded.bits);
    for (unsigned i = 0; i < decoded.following; ++i) {
        const int next = ReadByteSkippingCR();
        if (next < 0) {
            return next;
        }
        codePoint = codePoint * 64 + (next & 0x3F);
    }
    return codePoint;
}

int UTF8_TextFileReader::ReadLine(wchar_t*& line, UINT /*codePage*/) {
    // As DecodeUtf8Line would make the buffer: a block at least.
    if (ReadAsciiLine(line, LineBufferGrowth)) {
        return TextFileOk;
    }
    return ReadDecodedLine(line);
}

int UTF8_TextFileReader::ReadDecodedLine(wchar_t*& line) {
    const int split = SplitLine<1, false>(narrowLine.Pointer(), NarrowLineMaxBytes);
    if (split != TextFileOk) {
        return split;
    }
    DecodeUtf8Line(narrowLine.Pointer(), NarrowBytes(narrowLine.Pointer()), line);
    return TextFileOk;
}

void DecodeUtf8Line(const char* narrow, std::size_t length, wchar_t*& line) {
    ReserveLineBlock(line);

    const unsigned char* p = reinterpret_cast<const unsigned char*>(narrow);
    const unsigned char* end = p + length;
    std::size_t count = 0;
    std::size_t room = LineBufferHeaderOf(line)->capacity / sizeof(wchar_t);
    // A byte never gives more than one unit: with room for as many units as bytes, no unit
    // needs to check for room.
    const bool roomForAll = static_cast<std::size_t>(end - p) + 1 <= room;
    // Adds one unit, keeping room for the NUL; false when the buffer cannot grow.
    auto put = [&](unsigned unit) {
        if (!roomForAll && count + 2 > room) {
            if (!ReserveLineBuffer(line, (count + 2) * sizeof(wchar_t))) {
                return false;
            }
            room = LineBufferHeaderOf(line)->capacity / sizeof(wchar_t);
        }
        line[count++] = static_cast<wchar_t>(unit);
        return true;
    };

    bool roomLeft = true;
    while (p < end && *p != 0 && roomLeft) {
        if (*p < 0x80) {
            if (!roomForAll) {
                roomLeft = put(*p++);
                continue;
            }
            // A run of ASCII, widened at once.
            const std::size_t run = PlainAsciiPrefix(p, static_cast<std::size_t>(end - p));
            WidenAscii(p, run, line + count);
            count += run;
            p += run;
            continue;
        }
        const Utf8Lead lead = DecodeLead(*p++);
        std::uint32_t codePoint = lead.bits;
        unsigned taken = 0;
        for (; taken < lead.following && p + taken < end && p[taken] != 0; ++taken) {
            codePoint = codePoint * 64 + (p[taken] & 0x3F);
        }
        if (taken < lead.following) {
            // The line ends inside the sequence.
            put(ReplacementCharacter);
            break;
        }
        p += lead.following;
        if (codePoint <= 0xFFFF) {
            roomLeft = put(codePoint);
        } else {
            if (codePoint > 0x10FFFF) {
                codePoint = 0x10FFFF;
            }
            roomLeft = put(0xD7C0 + (codePoint >> 10)) && put(0xDC00 + (codePoint & 0x3FF));
        }
    }
    EndLineAt(line, count);
}

int UTF16LE_TextFileReader::ReadChar() {
    return ReadUnitSkippingCR(false);
}

int UTF16LE_TextFileReader::ReadLine(wchar_t*& line, UINT /*codePage*/) {
    return SplitLine<2, false>(line, WideLineMaxBytes);
}

int UTF16BE_TextFileReader::ReadChar() {
    return ReadUnitSkippingCR(true);
}

int UTF16BE_TextFileReader::ReadLine(wchar_t*& line, UINT /*codePage*/) {
    const int split = SplitLine<2, true>(line, WideLineMaxBytes);
    if (split == TextFileOk) {
        // The swap reads whole groups of eight units; the buffer's capacity is made of such
        // groups, so the group that holds the NUL lies inside it.
        static_assert(LineBufferGrowth % 16 == 0, "line buffers grow by whole groups of units");
        SwapUnitsUpToNul(line);
    }
    return split;
}
