#include "definitions/LineBuffer.h"

#include <cstdlib>

namespace {

unsigned char* BlockOf(void* chars) {
    return static_cast<unsigned char*>(chars) - sizeof(LineBufferHeader);
}

} // namespace

bool GrowLineBuffer(void*& chars, std::size_t bytes) {
    LineBufferHeader* header = LineBufferHeaderOf(chars);
    if (header && header->capacity >= bytes) {
        return true;
    }
    if (bytes > LineBufferMaxCapacity) {
        return false;
    }
    std::size_t capacity = (bytes + LineBufferGrowth - 1) / LineBufferGrowth * LineBufferGrowth;
    if (capacity == 0) {
        capacity = LineBufferGrowth;
    }
    void* block =
        std::realloc(chars ? BlockOf(chars) : nullptr, sizeof(LineBufferHeader) + capacity);
    if (!block) {
        return false;
    }
    header = static_cast<LineBufferHeader*>(block);
    unsigned char* newChars = static_cast<unsigned char*>(block) + sizeof(LineBufferHeader);
    if (!chars) {
        header->tag = LineBufferTag;
        header->used = 0;
        newChars[0] = 0;
        newChars[1] = 0;
    }
    header->capacity = static_cast<std::uint32_t>(capacity);
    chars = newChars;
    return true;
}

void FreeLineBuffer(void* chars) {
    if (chars) {
        std::free(BlockOf(chars));
    }
}
