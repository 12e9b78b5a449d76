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
    if (kept > 0) {
        std::memmove(buffer.get(), buffer.get() + readPosition, kept);
    }
    readPosition = 0;
    byteCount = kept;
    DWORD got = 0;
    if (!ReadFile(file, buffer.get() + kept, bufferCapacity - kept, &got, nullptr)) {
        SetFileErrorText(IDS_ERROR_READING_FILE, GetLastError(), fileName);
        return TextFileError;
    }
    byteCount = kept + got;
    if (got == 0) {
        endOfFile = true;
        return TextFileEnd;
    }
    return TextFileOk;
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
        std::size_t copied = taken;
        if (copied > 0 && IsCarriageReturn<UnitSize, BigEndian>(start + (copied - 1) * UnitSize)) {
            --copied;
        }
        append(start, copied * UnitSize);
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
