// Turns the fuzzer's bytes into UTF-16 texts. A byte 0x01 followed by two more bytes is the code
// unit they make (high byte first; 0 is left out, since texts end at their NUL); 0x00 ends a text;
// any other byte is the code unit of its own value.
#pragma once

#include "common/AsciiCase.h"

#include <cstddef>
#include <cstdint>
#include <string>

// Reads one text from `data` starting at `offset`, which is left after its end.
inline std::u16string NextText(const std::uint8_t* data, std::size_t size, std::size_t& offset) {
    std::u16string text;
    while (offset < size) {
        const std::uint8_t byte = data[offset++];
        if (byte == 0)
            break;
        if (byte == 1 && offset + 1 < size) {
            const auto unit = static_cast<char16_t>((data[offset] << 8) | data[offset + 1]);
            offset += 2;
            if (unit != 0)
                text.push_back(unit);
            continue;
        }
        text.push_back(byte);
    }
    return text;
}

// Stops the run with a message when an invariant does not hold.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "check failed: %s (%s:%d)\n", #condition, __FILE__, __LINE__);    \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)
