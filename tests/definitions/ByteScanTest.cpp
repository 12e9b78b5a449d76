// The byte scans against plain loops, for every length up to past two 16-byte chunks and every
// place of the byte looked for: the chunked and overlapping reads must find the same.
#include "definitions/ByteScan.h"

#include <gtest/gtest.h>

#include <vector>

using namespace bytescan;

TEST(ByteScan, AgreesWithPlainLoopsAtEveryLengthAndPlace) {
    for (std::size_t length = 0; length <= 40; ++length) {
        for (std::size_t place = 0; place <= length; ++place) {
            SCOPED_TRACE(testing::Message() << "length " << length << ", place " << place);
            // 'a'... with a line feed (or a 0x80 byte, or a NUL) at `place`, none when it is
            // the length; one more of each beyond the end that must not be seen.
            std::vector<unsigned char> bytes(length + 1, 'a');
            bytes[length] = '\n';
            bytes[place] = '\n';
            EXPECT_EQ(FindByte(bytes.data(), length, '\n'), place);

            bytes[place] = 0x80;
            EXPECT_EQ(PlainAsciiPrefix(bytes.data(), length), place);
            bytes[place] = 0;
            EXPECT_EQ(PlainAsciiPrefix(bytes.data(), length), place);

            // Units: the line feed of the given byte order at unit `place`.
            std::vector<unsigned char> units(2 * length + 2, 'a');
            units[2 * place] = 0x0A;
            units[2 * place + 1] = 0;
            EXPECT_EQ(FindUnit(units.data(), length, 0x000A), place);
            EXPECT_EQ(FindUnit(units.data(), length, 0x0A00), length);
        }
        std::vector<unsigned char> ascii(length);
        for (std::size_t i = 0; i < length; ++i) {
            ascii[i] = static_cast<unsigned char>(1 + i * 7 % 127);
        }
        std::vector<wchar_t> wide(length + 1, L'#');
        WidenAscii(ascii.data(), length, wide.data());
        for (std::size_t i = 0; i < length; ++i) {
            EXPECT_EQ(wide[i], static_cast<wchar_t>(ascii[i])) << "length " << length;
        }
        EXPECT_EQ(wide[length], L'#');
    }
}
