#include "definitions/LineBuffer.h"

#include <gtest/gtest.h>

#include <string>

TEST(LineBuffer, GrowsInStepsOf1024KeepingItsContentsNeverShrinksAndRefusesTooMuch) {
    void* block = nullptr;
    ASSERT_TRUE(ReserveLineBuffer(block, 10));
    EXPECT_EQ(LineBufferHeaderOf(block)->tag, LineBufferTag);
    EXPECT_EQ(LineBufferHeaderOf(block)->capacity, 1024u);

    ClearLineBuffer(block, 1);
    const std::string chunk(1023, 'x');
    EXPECT_TRUE(AppendToLineBuffer(block, chunk.data(), chunk.size(), 1)); // 1024 with the NUL
    EXPECT_EQ(LineBufferHeaderOf(block)->capacity, 1024u);
    EXPECT_TRUE(AppendToLineBuffer(block, "yz", 2, 1));
    EXPECT_EQ(LineBufferHeaderOf(block)->capacity, 2048u);
    EXPECT_EQ(LineBufferHeaderOf(block)->used, 1026u);
    EXPECT_EQ(std::string(static_cast<char*>(block)), chunk + "yz");

    ClearLineBuffer(block, 1);
    EXPECT_TRUE(ReserveLineBuffer(block, 100));
    EXPECT_FALSE(ReserveLineBuffer(block, std::size_t(LineBufferMaxCapacity) + 1));
    EXPECT_EQ(LineBufferHeaderOf(block)->capacity, 2048u);
    EXPECT_STREQ(static_cast<char*>(block), "");
    FreeLineBuffer(block);
}
