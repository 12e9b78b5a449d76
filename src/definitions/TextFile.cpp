#include "definitions/TextFile.h"

#include "definitions/ErrorText.h"
#include "resource.h"

namespace {

// Reads one byte straight from the file: 1 when read, 0 at the end of the file, TextFileError
// when the read failed.
int ReadOneByte(HANDLE file, unsigned char& byte) {
    DWORD got = 0;
    if (!ReadFile(file, &byte, 1, &got, nullptr)) {
        return TextFileError;
    }
    return got == 1 ? 1 : 0;
}

} // namespace

int TextFile::Open(const wchar_t* path) {
    std::wstring newName = path ? path : L"";
    HANDLE opened = CreateFileW(newName.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (opened == INVALID_HANDLE_VALUE) {
        SetFileErrorText(IDS_CANNOT_OPEN_FILE, GetLastError(), newName.c_str());
        return TextFileError;
    }
    // A record that is still open lets go of its earlier file first.
    Close();
    name = std::move(newName);
    mode = 1;
    encoding = EncodingUnknown;
    handle = opened;
    return ChooseReader();
}

int TextFile::Close() {
    if (handle == INVALID_HANDLE_VALUE) {
        return 0;
    }
    CloseHandle(handle);
    handle = INVALID_HANDLE_VALUE;
    mode = 0;
    reader.reset();
    name.clear();
    name.shrink_to_fit();
    return 0;
}

template <class Reader> int TextFile::UseReader(std::uint32_t found) {
    encoding = found;
    reader = std::make_unique<Reader>(name.c_str(), handle);
    return TextFileOk;
}

// Looks at the byte-order mark, reading it a byte at a time, and creates the reader. A file
// without a complete mark is read as ANSI from its first byte.
int TextFile::ChooseReader() {
    const wchar_t* fileName = name.c_str();
    auto readFailed = [&] {
        SetFileErrorText(IDS_ERROR_READING_FILE, GetLastError(), fileName);
        return TextFileError;
    };
    // 1 when the next byte is `expected`, 0 when it is another or missing.
    auto nextIs = [&](unsigned char expected) {
        unsigned char byte = 0;
        const int got = ReadOneByte(handle, byte);
        return got <= 0 ? got : (byte == expected ? 1 : 0);
    };

    unsigned char first = 0;
    int got = ReadOneByte(handle, first);
    if (got < 0) {
        return readFailed();
    }
    if (got == 0) {
        reader = std::make_unique<TextFileReader>(fileName, handle, 0);
        return TextFileOk;
    }
    if (first == 0xFF || first == 0xFE) {
        got = nextIs(first == 0xFF ? 0xFE : 0xFF);
        if (got < 0) {
            return readFailed();
        }
        if (got == 1) {
            return first == 0xFF ? UseReader<UTF16LE_TextFileReader>(EncodingUtf16LE)
                                 : UseReader<UTF16BE_TextFileReader>(EncodingUtf16BE);
        }
    } else if (first == 0xEF) {
        got = nextIs(0xBB);
        if (got == 1) {
            got = nextIs(0xBF);
        }
        if (got < 0) {
            return readFailed();
        }
        if (got == 1) {
            return UseReader<UTF8_TextFileReader>(EncodingUtf8);
        }
    }
    if (SetFilePointer(handle, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) {
        return readFailed();
    }
    return UseReader<ANSI_TextFileReader>(EncodingAnsi);
}
