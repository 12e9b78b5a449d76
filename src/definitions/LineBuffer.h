// Growable buffers in which the readers build lines. A buffer is one heap block: a header of
// three 32-bit words, then the characters. Its holder keeps a pointer to the first character, so
// the buffer reads as an ordinary NUL-terminated string; a null pointer is an empty buffer that
// has no block yet.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>

struct LineBufferHeader {
    std::uint32_t tag;      // always LineBufferTag
    std::uint32_t capacity; // bytes of the character area, a multiple of LineBufferGrowth
    std::uint32_t used;     // bytes in use, the terminating NUL included
};

constexpr std::uint32_t LineBufferTag = 0x47534442;
constexpr std::uint32_t LineBufferGrowth = 1024;
// The largest capacity that the 32-bit header can describe.
constexpr std::uint32_t LineBufferMaxCapacity = 0xFFFFFC00;

// The header of the buffer whose first character is at `chars`; null for a null buffer.
inline LineBufferHeader* LineBufferHeaderOf(void* chars) {
    return chars ? reinterpret_cast<LineBufferHeader*>(static_cast<unsigned char*>(chars) -
                                                       sizeof(LineBufferHeader))
                 : nullptr;
}
inline const LineBufferHeader* LineBufferHeaderOf(const void* chars) {
    return LineBufferHeaderOf(const_cast<void*>(chars));
}

// Reallocates the block (or allocates the first) to the smallest multiple of LineBufferGrowth
// that holds `bytes`, keeping its contents; a new block holds the empty string. Returns false,
// leaving the buffer as it was, when the size exceeds LineBufferMaxCapacity or the memory cannot
// be had.
bool GrowLineBuffer(void*& chars, std::size_t bytes);

// Makes the capacity at least `bytes`, growing as GrowLineBuffer does; never shrinks.
inline bool ReserveLineBuffer(void*& chars, std::size_t bytes) {
    return (chars && LineBufferHeaderOf(chars)->capacity >= bytes) || GrowLineBuffer(chars, bytes);
}

// Gives the block back; a null buffer is fine.
void FreeLineBuffer(void* chars);

// Sets the buffer, which must have a block, to the empty string of characters `nulBytes` wide.
inline void ClearLineBuffer(void* chars, std::size_t nulBytes) {
    for (std::size_t i = 0; i < nulBytes; ++i) {
        static_cast<unsigned char*>(chars)[i] = 0;
    }
    LineBufferHeaderOf(chars)->used = static_cast<std::uint32_t>(nulBytes);
}

// Ends the text of a buffer that has room for it after `length` characters: the NUL, and the
// bytes in use.
template <class Char> void EndLineAt(Char* chars, std::size_t length) {
    chars[length] = Char();
    LineBufferHeaderOf(chars)->used = static_cast<std::uint32_t>((length + 1) * sizeof(Char));
}

// Copies `count` bytes; the copies of ordinary lines stay inline, eight bytes at a time.
inline void CopyLineBytes(unsigned char* to, const unsigned char* from, std::size_t count) {
    if (count > 256) {
        std::memcpy(to, from, count);
    } else if (count >= 8) {
        // Whole words, then one last word that may overlap the one before it.
        for (std::size_t i = 0; i + 8 <= count; i += 8) {
            std::memcpy(to + i, from + i, 8);
        }
        std::memcpy(to + count - 8, from + count - 8, 8);
    } else {
        for (std::size_t i = 0; i < count; ++i) {
            to[i] = from[i];
        }
    }
}

// Appends `count` bytes before the terminating NUL (`nulBytes` wide), growing as needed. Returns
// false, leaving the buffer as it was, when it cannot grow. The buffer must have a block.
inline bool AppendToLineBuffer(void*& chars, const void* bytes, std::size_t count,
                               std::size_t nulBytes) {
    const std::size_t used = LineBufferHeaderOf(chars)->used;
    if (used + count > LineBufferHeaderOf(chars)->capacity &&
        !ReserveLineBuffer(chars, used + count)) {
        return false;
    }
    unsigned char* end = static_cast<unsigned char*>(chars) + used - nulBytes;
    CopyLineBytes(end, static_cast<const unsigned char*>(bytes), count);
    for (std::size_t i = 0; i < nulBytes; ++i) {
        end[count + i] = 0;
    }
    LineBufferHeaderOf(chars)->used = static_cast<std::uint32_t>(used + count);
    return true;
}

// Typed form of ReserveLineBuffer for a buffer of Char.
template <class Char> bool ReserveLineBuffer(Char*& chars, std::size_t bytes) {
    void* block = chars;
    const bool ok = ReserveLineBuffer(block, bytes);
    chars = static_cast<Char*>(block);
    return ok;
}

// Makes sure the buffer has a block of at least LineBufferGrowth bytes; throws std::bad_alloc
// when there is no memory for even that.
template <class Char> void ReserveLineBlock(Char*& chars) {
    if (!ReserveLineBuffer(chars, LineBufferGrowth)) {
        throw std::bad_alloc();
    }
}

// Owner of one buffer of Char: frees the block when it goes. `Pointer` is the variable to hand
// to the readers, which may move the block.
template <class Char> class LineBuffer {
public:
    LineBuffer() = default;
    ~LineBuffer() { FreeLineBuffer(chars); }
    LineBuffer(const LineBuffer&) = delete;
    LineBuffer& operator=(const LineBuffer&) = delete;

    Char*& Pointer() { return chars; }
    const Char* Text() const {
        static const Char empty[1] = {};
        return chars ? chars : empty;
    }
    const LineBufferHeader* Header() const { return LineBufferHeaderOf(chars); }

private:
    Char* chars = nullptr;
};
