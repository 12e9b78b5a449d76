// Scans and conversions over the bytes of a line, sixteen bytes at a time where the processor
// has SSE2 (every x64 processor), else a byte at a time. The readers run them once or twice per
// line, so they decide much of the speed of reading a file of short lines.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__) || defined(_M_X64)
#define VT_SCAN_SSE2 1
#include <emmintrin.h>
#if defined(_MSC_VER)
#include <intrin.h>
#endif
#endif

namespace bytescan {

// The characters that the readers look for or put in.
constexpr unsigned char LineFeed = 0x0A;
constexpr unsigned char CarriageReturn = 0x0D;
constexpr wchar_t ReplacementCharacter = 0xFFFD;

#if VT_SCAN_SSE2
// The index of the lowest set bit of a non-zero mask.
inline unsigned LowestBit(unsigned mask) {
#if defined(_MSC_VER)
    unsigned long index;
    _BitScanForward(&index, mask);
    return index;
#else
    return static_cast<unsigned>(__builtin_ctz(mask));
#endif
}

inline __m128i Load16(const unsigned char* bytes) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
}

// One bit per byte of the 16 at `bytes`: set where the byte equals the one in `pattern`.
inline unsigned MatchMask(const unsigned char* bytes, __m128i pattern) {
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(Load16(bytes), pattern)));
}

// One bit per byte: set where the byte is NUL or not ASCII.
inline unsigned NotPlainAsciiMask(const unsigned char* bytes) {
    const __m128i chunk = Load16(bytes);
    return static_cast<unsigned>(_mm_movemask_epi8(chunk) |
                                 _mm_movemask_epi8(_mm_cmpeq_epi8(chunk, _mm_setzero_si128())));
}
#endif

// The offset of the first byte `value` among `count` bytes, or `count` when there is none.
inline std::size_t FindByte(const unsigned char* bytes, std::size_t count, unsigned char value) {
    std::size_t i = 0;
#if VT_SCAN_SSE2
    if (count >= 16) {
        const __m128i pattern = _mm_set1_epi8(static_cast<char>(value));
        for (; i + 16 <= count; i += 16) {
            if (const unsigned mask = MatchMask(bytes + i, pattern)) {
                return i + LowestBit(mask);
            }
        }
        // The last bytes as the end of a chunk that overlaps the ones already seen.
        const std::size_t last = count - 16;
        if (const unsigned mask = MatchMask(bytes + last, pattern) >> (i - last)) {
            return i + LowestBit(mask);
        }
        return count;
    }
#endif
    for (; i < count; ++i) {
        if (bytes[i] == value) {
            return i;
        }
    }
    return count;
}

// The index of the first 16-bit unit among `count` whose bytes, read little-endian, give
// `value`; `count` when there is none.
inline std::size_t FindUnit(const unsigned char* bytes, std::size_t count, unsigned value) {
    std::size_t i = 0;
#if VT_SCAN_SSE2
    const unsigned char pair[2] = {static_cast<unsigned char>(value & 0xFF),
                                   static_cast<unsigned char>(value >> 8)};
    short inMemory;
    std::memcpy(&inMemory, pair, sizeof(inMemory));
    const __m128i pattern = _mm_set1_epi16(inMemory);
    for (; i + 8 <= count; i += 8) {
        const unsigned mask = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_cmpeq_epi16(Load16(bytes + 2 * i), pattern)));
        if (mask) {
            return i + LowestBit(mask) / 2;
        }
    }
#endif
    for (; i < count; ++i) {
        if ((bytes[2 * i] | (unsigned(bytes[2 * i + 1]) << 8)) == value) {
            return i;
        }
    }
    return count;
}

// The number of bytes at the start of `count` that are ASCII and not NUL.
inline std::size_t PlainAsciiPrefix(const unsigned char* bytes, std::size_t count) {
    std::size_t i = 0;
#if VT_SCAN_SSE2
    if (count >= 16) {
        for (; i + 16 <= count; i += 16) {
            if (const unsigned mask = NotPlainAsciiMask(bytes + i)) {
                return i + LowestBit(mask);
            }
        }
        const std::size_t last = count - 16;
        if (const unsigned mask = NotPlainAsciiMask(bytes + last) >> (i - last)) {
            return i + LowestBit(mask);
        }
        return count;
    }
#endif
    while (i < count && bytes[i] != 0 && bytes[i] < 0x80) {
        ++i;
    }
    return i;
}

// Whether the `count` bytes hold a line feed with only ASCII bytes other than NUL before it; its
// offset is then put in `lineFeed`. One pass finds both, since a line that passes is widened as
// it is.
inline bool FindLineFeedAfterPlainAscii(const unsigned char* bytes, std::size_t count,
                                        std::size_t& lineFeed) {
    std::size_t i = 0;
#if VT_SCAN_SSE2
    if (count >= 16) {
        const __m128i feed = _mm_set1_epi8(static_cast<char>(LineFeed));
        // Looks at the 16 bytes at `at` from bit `skip` on (bytes before it were seen already).
        auto chunk = [&](std::size_t at, unsigned skip, bool& decided) {
            const unsigned feeds = MatchMask(bytes + at, feed) >> skip;
            const unsigned other = NotPlainAsciiMask(bytes + at) >> skip;
            if ((feeds | other) == 0) {
                return false;
            }
            decided = true;
            const unsigned first = LowestBit(feeds | other);
            lineFeed = at + skip + first;
            return (feeds >> first & 1u) != 0;
        };
        bool decided = false;
        for (; i + 16 <= count; i += 16) {
            const bool found = chunk(i, 0, decided);
            if (decided) {
                return found;
            }
        }
        if (i < count) {
            const std::size_t last = count - 16;
            const bool found = chunk(last, static_cast<unsigned>(i - last), decided);
            if (decided) {
                return found;
            }
        }
        return false;
    }
#endif
    for (; i < count; ++i) {
        if (bytes[i] == LineFeed) {
            lineFeed = i;
            return true;
        }
        if (bytes[i] == 0 || bytes[i] >= 0x80) {
            return false;
        }
    }
    return false;
}

// FindLineFeedAfterPlainAscii and WidenAscii in one pass, for lines that end within the first
// `room` bytes: widens the bytes, sixteen at a time, into `to` (room for `room` units) up to the
// first line feed, and puts its offset into `lineFeed`. False when the line holds a NUL or a byte
// that is not ASCII, or does not end in time; `to` may then hold anything. Units after the line
// feed, up to the end of its sixteen, are written too.
inline bool WidenAsciiLine(const unsigned char* bytes, std::size_t count, wchar_t* to,
                           std::size_t room, std::size_t& lineFeed) {
    static_assert(sizeof(wchar_t) == 2, "UTF-16 units");
#if VT_SCAN_SSE2
    const __m128i feed = _mm_set1_epi8(static_cast<char>(LineFeed));
    const __m128i zero = _mm_setzero_si128();
    const std::size_t end = count < room ? count : room;
    for (std::size_t i = 0; i + 16 <= end; i += 16) {
        const __m128i chunk = Load16(bytes + i);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to + i), _mm_unpacklo_epi8(chunk, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to + i + 8), _mm_unpackhi_epi8(chunk, zero));
        const unsigned feeds =
            static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(chunk, feed)));
        const unsigned other = static_cast<unsigned>(
            _mm_movemask_epi8(chunk) | _mm_movemask_epi8(_mm_cmpeq_epi8(chunk, zero)));
        if ((feeds | other) != 0) {
            const unsigned first = LowestBit(feeds | other);
            lineFeed = i + first;
            return (feeds >> first & 1u) != 0;
        }
    }
#else
    (void)bytes, (void)count, (void)to, (void)room, (void)lineFeed;
#endif
    return false;
}

// Swaps the two bytes of every unit up to the first NUL unit, which ends the swap. Reads the units
// in groups of eight from the start: the group that holds the NUL must lie inside the buffer.
inline void SwapUnitsUpToNul(wchar_t* units) {
    static_assert(sizeof(wchar_t) == 2, "UTF-16 units");
    std::size_t i = 0;
#if VT_SCAN_SSE2
    const __m128i zero = _mm_setzero_si128();
    for (;; i += 8) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(units + i));
        if (_mm_movemask_epi8(_mm_cmpeq_epi16(chunk, zero)) != 0) {
            break; // the NUL is among these eight: the rest one by one
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(units + i),
                         _mm_or_si128(_mm_slli_epi16(chunk, 8), _mm_srli_epi16(chunk, 8)));
    }
#endif
    for (; units[i] != 0; ++i) {
        units[i] = static_cast<wchar_t>(((units[i] & 0xFF) << 8) | ((units[i] >> 8) & 0xFF));
    }
}

// Widens `count` ASCII bytes to UTF-16 units.
inline void WidenAscii(const unsigned char* from, std::size_t count, wchar_t* to) {
    static_assert(sizeof(wchar_t) == 2, "UTF-16 units");
    std::size_t i = 0;
#if VT_SCAN_SSE2
    if (count >= 16) {
        const __m128i zero = _mm_setzero_si128();
        auto widen16 = [&](std::size_t at) {
            const __m128i chunk = Load16(from + at);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(to + at), _mm_unpacklo_epi8(chunk, zero));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(to + at + 8),
                             _mm_unpackhi_epi8(chunk, zero));
        };
        for (; i + 16 <= count; i += 16) {
            widen16(i);
        }
        // The last units again as the end of an overlapping chunk: the same values.
        widen16(count - 16);
        return;
    }
#endif
    for (; i < count; ++i) {
        to[i] = static_cast<wchar_t>(from[i]);
    }
}

// The unit at `bytes`, read big- or little-endian.
inline unsigned UnitAt(const unsigned char* bytes, bool bigEndian) {
    return bigEndian ? (unsigned(bytes[0]) << 8) | bytes[1] : bytes[0] | (unsigned(bytes[1]) << 8);
}

// The first line feed among `units` units, or `units`; for 16-bit units, the line feed as the
// bytes of a unit read little-endian.
template <unsigned UnitSize, bool BigEndian>
inline std::size_t FindLineFeed(const unsigned char* start, std::size_t units) {
    return UnitSize == 1 ? FindByte(start, units, LineFeed)
                         : FindUnit(start, units, BigEndian ? LineFeed << 8 : LineFeed);
}

// How many of the `taken` units at `start` belong to the line: a carriage return that ends them is
// left out.
template <unsigned UnitSize, bool BigEndian>
inline std::size_t UnitsBeforeCarriageReturn(const unsigned char* start, std::size_t taken) {
    if (taken == 0) {
        return 0;
    }
    const unsigned char* last = start + (taken - 1) * UnitSize;
    return (UnitSize == 1 ? *last : UnitAt(last, BigEndian)) == CarriageReturn ? taken - 1 : taken;
}

} // namespace bytescan
