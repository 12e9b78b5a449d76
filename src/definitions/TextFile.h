// Line-by-line reading of text files in ANSI, UTF-8, UTF-16LE or UTF-16BE. A TextFile opens the
// file, tells the encoding from its byte-order mark and creates the matching reader, which hands
// out every line as a NUL-terminated wide string.
#pragma once

#include "definitions/LineBuffer.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

// Results of Open, ReadLine, ReadChar and FillBuffer.
constexpr int TextFileOk = 0;     // a line (or block, or character) was delivered
constexpr int TextFileEnd = -1;   // nothing is left: the end of the file
constexpr int TextFileError = -2; // the file system failed; the text is in lastErrorText

// Values of TextFile::encoding.
constexpr std::uint32_t EncodingUnknown = 0; // not yet known, or an empty file
constexpr std::uint32_t EncodingAnsi = 1;
constexpr std::uint32_t EncodingUtf16LE = 2;
constexpr std::uint32_t EncodingUtf16BE = 3;
constexpr std::uint32_t EncodingUtf8 = 4;

// Size of the block in which the encoding readers take a file: what one ReadFile of theirs
// gets. Lines are split block by block (a carriage return that ends a block is dropped).
constexpr std::uint32_t ReaderBlockSize = 4096;
// From a disk file the readers read this much at a time and take the blocks from it, so that a
// file costs a sixty-fourth of the system calls; each block holds the same bytes as it would have
// with reads of a block at a time. After a read that fails they go back to reading a block at a
// time from where the failed read began, so that what is delivered before a read error, and the
// error, stay the same too. Other files (pipes) are read a block at a time.
constexpr std::uint32_t ReaderReadAheadSize = 64 * ReaderBlockSize;

// Reads one open file. The plain class is the reader of an empty file, which has no lines: it is
// made with capacity 0, and so without a buffer.
class TextFileReader {
public:
    TextFileReader(const wchar_t* fileName, HANDLE file,
                   std::uint32_t bufferCapacity = ReaderBlockSize);
    virtual ~TextFileReader() = default;
    TextFileReader(const TextFileReader&) = delete;
    TextFileReader& operator=(const TextFileReader&) = delete;

    // The next character as a non-negative number, TextFileEnd or TextFileError.
    virtual int ReadChar();
    // Puts the next line into `line`, a wide LineBuffer that may move as it grows: without its
    // line feed and without a carriage return right before it. Returns TextFileOk, or
    // TextFileEnd when no line is left (the 8-bit readers then leave `line` untouched, the
    // 16-bit ones leave it empty). `codePage` converts ANSI files.
    virtual int ReadLine(wchar_t*& line, UINT codePage);

    // Reads the next block after the unread bytes (fewer than one character) that it keeps.
    // TextFileOk; TextFileEnd at the end of the file; TextFileError when the read failed.
    int FillBuffer();

protected:
    // The next byte (or, with `bigEndian` given, 16-bit unit) with carriage returns skipped.
    int ReadByteSkippingCR();
    int ReadUnitSkippingCR(bool bigEndian);
    // Puts the next line's bytes into `line` in units of UnitSize bytes as they lie in the file
    // (BigEndian tells how to compare 16-bit units), at most `maxBytes` of them; the rest of a
    // longer line is read and left out. Returns TextFileOk or TextFileEnd.
    template <unsigned UnitSize, bool BigEndian, class Char>
    int SplitLine(Char*& line, std::size_t maxBytes);
    // SplitLine for a line that goes on past the buffer, or that meets its end, or is too long.
    template <unsigned UnitSize, bool BigEndian>
    int SplitLineAcrossBlocks(void*& line, std::size_t maxBytes);

    // A line that lies whole in the current block, ends with a line feed and holds only ASCII
    // characters other than NUL: widened into `line` (at least `minimumBytes` large) without its
    // line feed and a carriage return before it. False, with nothing read, for any other line.
    bool ReadAsciiLine(wchar_t*& line, std::size_t minimumBytes);
    // The same for a line that may need more room first.
    bool ReadAsciiLineMakingRoom(wchar_t*& line, std::size_t minimumBytes);

    const wchar_t* fileName;      // the TextFile's name, for error texts
    HANDLE file;                  // not owned
    std::uint32_t bufferCapacity; // the block size
    // The bytes read from the file: the current block is [readPosition, byteCount), where
    // readPosition moves on as it is taken, and [byteCount, storeEnd) was read ahead.
    std::unique_ptr<unsigned char[]> buffer;
    std::uint32_t storeCapacity;
    std::uint32_t readPosition = 0;
    std::uint32_t byteCount = 0;
    std::uint32_t storeEnd = 0;
    bool readAhead;          // whether the file is read ReaderReadAheadSize at a time
    bool storeAtEnd = false; // a read met the end of the file
    bool endOfFile = false;
};

// Files in the system's 8-bit code pages: bytes converted with the caller's code page.
class ANSI_TextFileReader : public TextFileReader {
public:
    using TextFileReader::TextFileReader;
    int ReadChar() override;
    int ReadLine(wchar_t*& line, UINT codePage) override;

private:
    // A line that is not plain ASCII, or not whole in the block.
    int ReadConvertedLine(wchar_t*& line, UINT codePage);
    bool AsciiMapsToItself(UINT codePage);
    void LearnAsciiMapping(UINT codePage);

    LineBuffer<char> narrowLine;
    UINT checkedCodePage = ~0u; // the code page that asciiMapsToItself was found for
    bool asciiMapsToItself = false;
};

// UTF-8 files, decoded without validation; undecodable bytes become U+FFFD.
class UTF8_TextFileReader : public TextFileReader {
public:
    using TextFileReader::TextFileReader;
    int ReadChar() override;
    int ReadLine(wchar_t*& line, UINT codePage) override;

private:
    // A line that is not plain ASCII, or not whole in the block.
    int ReadDecodedLine(wchar_t*& line);

    LineBuffer<char> narrowLine;
};

class UTF16LE_TextFileReader : public TextFileReader {
public:
    using TextFileReader::TextFileReader;
    int ReadChar() override;
    int ReadLine(wchar_t*& line, UINT codePage) override;
};

class UTF16BE_TextFileReader : public TextFileReader {
public:
    using TextFileReader::TextFileReader;
    int ReadChar() override;
    int ReadLine(wchar_t*& line, UINT codePage) override;
};

// Decodes UTF-8 bytes into the wide buffer `line`: `length` of them, or up to the first NUL
// among them. A sequence cut short by that end gives U+FFFD.
void DecodeUtf8Line(const char* narrow, std::size_t length, wchar_t*& line);

// One text file open for reading. Starts closed; owns the handle, the name and the reader from
// a successful Open until Close, and closes on destruction.
struct TextFile {
    std::wstring name;      // copy of the path given to Open
    std::uint32_t mode = 0; // 1 while open for reading
    std::uint32_t encoding = EncodingUnknown;
    HANDLE handle = INVALID_HANDLE_VALUE;
    std::unique_ptr<TextFileReader> reader;
    UINT codePage = 0; // for ANSI files; 0 is the system's ANSI code page

    TextFile() = default;
    ~TextFile() { Close(); }
    TextFile(const TextFile&) = delete;
    TextFile& operator=(const TextFile&) = delete;

    // Opens `path` and creates the reader for its encoding. TextFileOk, or TextFileError with
    // the text in lastErrorText: the record is unchanged when the file cannot be opened, and
    // stays open (Close it) when its byte-order mark cannot be read.
    int Open(const wchar_t* path);
    // Closes the file and deletes the reader; does nothing on a closed record. Returns 0.
    int Close();

private:
    int ChooseReader();
    // Reads the file as `found` from the current position on.
    template <class Reader> int UseReader(std::uint32_t found);
};
