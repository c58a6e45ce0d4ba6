// QLittleEndian: the readers take the low byte first at any offset, and the writers (in
// place, and appended to either string class) put down the bytes the readers take back.
#include <gtest/gtest.h>

#include <stdint.h>
#include <string.h>

#include <string>

#include "QLittleEndian.h"
#include "QStr.h"

TEST(LittleEndian, ReadersTakeTheLowByteFirstAtAnyOffset)
{
    // An odd offset, and high bits set in every byte that a sign extension would spread.
    const uint8_t Bytes[] = {0xAA, 0x50, 0x4B, 0x03, 0x04, 0xFF, 0xFE, 0xFD, 0x80};
    EXPECT_EQ(0x4B50u, LeGet16(Bytes + 1));
    EXPECT_EQ(0x04034B50u, LeGet32(Bytes + 1));
    EXPECT_EQ(0xFEFFu, LeGet16(Bytes + 5));
    EXPECT_EQ(0x80FDFEFFu, LeGet32(Bytes + 5));
    std::string S((const char *)Bytes, sizeof Bytes);
    EXPECT_EQ(0x80FDFEFFu, LeGet32(S, 5));
    EXPECT_EQ(0x0403u, LeGet16(S, 3));
}

TEST(LittleEndian, WritersPutDownWhatTheReadersTakeBack)
{
    for (uint32_t V : {0u, 1u, 0x1234u, 0x80FDFEFFu, 0xFFFFFFFFu}) {
        uint8_t Buf[8] = {0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11};
        LePut32(Buf + 3, V);
        EXPECT_EQ(V, LeGet32(Buf + 3));
        EXPECT_EQ(0x11, Buf[2]);
        EXPECT_EQ(0x11, Buf[7]);
        std::string Std = "x";
        string Own("x");
        LeAppend32(Std, V);
        LeAppend32(Own, V);
        ASSERT_EQ(5u, Std.size());
        ASSERT_EQ(5u, Own.length());
        EXPECT_EQ(0, memcmp(Buf + 3, Std.data() + 1, 4)) << std::hex << V;
        EXPECT_EQ(0, memcmp(Buf + 3, Own.c_str() + 1, 4)) << std::hex << V;
    }
    // The 16-bit writers keep the low half of a wider value and touch only their two bytes.
    uint8_t Buf[4] = {0x11, 0x11, 0x11, 0x11};
    LePut16(Buf + 1, 0x12345);
    EXPECT_EQ(0x2345u, LeGet16(Buf + 1));
    EXPECT_EQ(0x11, Buf[3]);
    std::string Std;
    LeAppend16(Std, 0x12345);
    EXPECT_EQ(std::string("\x45\x23", 2), Std);
}
