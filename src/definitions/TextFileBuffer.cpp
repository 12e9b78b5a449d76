#include "definitions/ByteScan.h"
#include "definitions/ErrorText.h"
#include "definitions/TextFile.h"
#include "resource.h"

#include <cstring>

using namespace bytescan;

int TextFileReader::FillBuffer() {
    if (endOfFile) {
        return TextFileEnd;
    }
    if (!buffer) {
        endOfFile = true;
        return TextFileEnd;
    }
    const std::uint32_t kept = byteCount - readPosition;
    if (kept >= bufferCapacity) {
        return TextFileOk;
    }
    // The next block: the kept bytes and those that follow them in the file.
    std::uint32_t blockEnd = readPosition + bufferCapacity;
    while (storeEnd < blockEnd && !storeAtEnd) {
        if (blockEnd > storeCapacity) {
            const std::uint32_t unread = storeEnd - readPosition;
            if (unread > 0) {
                std::memmove(buffer.get(), buffer.get() + readPosition, unread);
            }
            byteCount -= readPosition;
            storeEnd = unread;
            readPosition = 0;
            blockEnd = bufferCapacity;
        }
        const std::uint32_t wanted = (readAhead ? storeCapacity : blockEnd) - storeEnd;
        DWORD got = 0;
        if (!ReadFile(file, buffer.get() + storeEnd, wanted, &got, nullptr)) {
            const DWORD error = GetLastError();
            LARGE_INTEGER back;
            back.QuadPart = -static_cast<LONGLONG>(storeEnd - byteCount);
            if (readAhead && SetFilePointerEx(file, back, nullptr, FILE_CURRENT)) {
                // Once more, a block at a time from the end of the current block.
                readAhead = false;
                storeEnd = byteCount;
                continue;
            }
            SetFileErrorText(IDS_ERROR_READING_FILE, error, fileName);
            return TextFileError;
        }
        if (got == 0) {
            storeAtEnd = true;
        }
        storeEnd += got;
        if (!readAhead) {
            break; // one read per block, whatever it brought
        }
    }
    if (storeEnd == byteCount) {
        endOfFile = true;
        return TextFileEnd;
    }
    byteCount = storeEnd < blockEnd ? storeEnd : blockEnd;
    return TextFileOk;
}

bool TextFileReader::ReadAsciiLineMakingRoom(wchar_t*& line, std::size_t minimumBytes) {
    const unsigned char* start = buffer.get() + readPosition;
    std::size_t lineFeed = 0;
    if (!FindLineFeedAfterPlainAscii(start, byteCount - readPosition, lineFeed)) {
        return false;
    }
    const std::size_t length = UnitsBeforeCarriageReturn<1, false>(start, lineFeed);
    const std::size_t bytes = (length + 1) * sizeof(wchar_t);
    if (!ReserveLineBuffer(line, bytes > minimumBytes ? bytes : minimumBytes)) {
        return false;
    }
    WidenAscii(start, length, line);
    EndLineAt(line, length);
    readPosition += static_cast<std::uint32_t>(lineFeed + 1);
    return true;
}

int TextFileReader::ReadByteSkippingCR() {
    for (;;) {
        if (readPosition >= byteCount) {
            const int filled = FillBuffer();
            if (filled < 0) {
                return filled;
            }
        }
        const unsigned char byte = buffer[readPosition++];
        if (byte != CarriageReturn) {
            return byte;
        }
    }
}

int TextFileReader::ReadUnitSkippingCR(bool bigEndian) {
    for (;;) {
        if (byteCount - readPosition < 2) {
            const int filled = FillBuffer();
            if (filled == TextFileEnd && byteCount > readPosition) {
                // A lone byte ends the file: half a character cannot be decoded.
                readPosition = byteCount;
                return ReplacementCharacter;
            }
            if (filled < 0) {
                return filled;
            }
            continue;
        }
        const unsigned unit = UnitAt(buffer.get() + readPosition, bigEndian);
        readPosition += 2;
        if (unit != CarriageReturn) {
            return static_cast<int>(unit);
        }
    }
}

template <unsigned UnitSize, bool BigEndian>
int TextFileReader::SplitLineAcrossBlocks(void*& line, std::size_t maxBytes) {
    ReserveLineBlock(line);
    ClearLineBuffer(line, UnitSize);

    bool full = false;
    auto append = [&](const unsigned char* bytes, std::size_t count) {
        const std::size_t held = LineBufferHeaderOf(line)->used - UnitSize;
        if (full || count == 0) {
            return;
        }
        if (held + count > maxBytes) {
            count = (maxBytes - held) / UnitSize * UnitSize;
            full = true;
        }
        if (!AppendToLineBuffer(line, bytes, count, UnitSize)) {
            full = true;
        }
    };

    int result = TextFileEnd;
    for (;;) {
        if (byteCount - readPosition < UnitSize) {
            const int filled = FillBuffer();
            if (filled == TextFileEnd && byteCount > readPosition) {
                // A lone byte ends a UTF-16 file: half a character cannot be decoded. Its
                // place in the buffer takes the replacement character in the file's order.
                readPosition = byteCount;
                buffer[0] = BigEndian ? 0xFF : 0xFD;
                buffer[1] = BigEndian ? 0xFD : 0xFF;
                append(buffer.get(), 2);
                return TextFileOk;
            }
            if (filled < 0) {
                return result;
            }
            continue;
        }
        result = TextFileOk;

        const unsigned char* start = buffer.get() + readPosition;
        const std::size_t units = (byteCount - readPosition) / UnitSize;
        const std::size_t taken = FindLineFeed<UnitSize, BigEndian>(start, units);
        const bool found = taken < units;
        // The carriage return that ends the taken units is left out, whether it comes before
        // the line feed or ends the block.
        append(start, UnitsBeforeCarriageReturn<UnitSize, BigEndian>(start, taken) * UnitSize);
        readPosition += static_cast<std::uint32_t>(taken * UnitSize);
        if (found) {
            readPosition += UnitSize;
            return TextFileOk;
        }
    }
}

template int TextFileReader::SplitLineAcrossBlocks<1, false>(void*&, std::size_t);
template int TextFileReader::SplitLineAcrossBlocks<2, false>(void*&, std::size_t);
template int TextFileReader::SplitLineAcrossBlocks<2, true>(void*&, std::size_t);
