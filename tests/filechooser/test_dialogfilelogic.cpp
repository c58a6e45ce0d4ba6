// File chooser logic that needs no window: filter lists, request flags, file-name buffer.
#include <gtest/gtest.h>
#include <string.h>
#include "QDialogFileLogic.h"

struct TFilterCase {
    const char *Written;
    const char *List;   // the expected bytes
    size_t ListLen;
};

#define LIST(s) s, sizeof(s) - 1

TEST(AllocFilterStr, PipesBecomeZerosAndTheListEndsInTwoZeros)
{
    static const TFilterCase Cases[] = {
        {"", LIST("")},
        {"Any file|*.*", LIST("Any file\0*.*\0\0")},
        {"Text|*.txt;*.log|Any file|*.*", LIST("Text\0*.txt;*.log\0Any file\0*.*\0\0")},
        {"Any file|*.*|", LIST("Any file\0*.*\0\0\0")},
        {"|", LIST("\0\0\0")},
        {"no pipe", LIST("no pipe\0\0")},
    };
    for (const TFilterCase &C : Cases) {
        string R = AllocFilterStr(C.Written);
        ASSERT_EQ(R.length(), C.ListLen) << C.Written;
        EXPECT_EQ(memcmp(R.c_str(), C.List, C.ListLen), 0) << C.Written;
    }
}

TEST(FileFlags, EveryOptionAddsItsFlagToHookAndExplorer)
{
    static const uint32_t Expected[ofOptionCount] = {
        0x1,    0x2,    0x4,     0x8,     0x10,    0x100,   0x200,   0x400,   0x800,
        0x1000, 0x2000, 0x4000,  0x8000,  0x10000, 0x20000, 0x40000, 0x80000, 0x100000,
    };
    const uint32_t Base = 0x20 | 0x80000;
    EXPECT_EQ(FileFlags(0), Base);
    uint32_t All = Base;
    for (int I = 0; I < ofOptionCount; I++) {
        EXPECT_EQ(OpenOptionFlag[I], Expected[I]) << "option " << I;
        EXPECT_EQ(FileFlags(OpenOption((TOpenOption)I)), Base | Expected[I]) << "option " << I;
        All |= Expected[I];
    }
    EXPECT_EQ(FileFlags((1u << ofOptionCount) - 1), All);
    EXPECT_EQ(FileFlags(OpenOption(ofOldStyleDialog)), Base) << "Explorer style is set anyway";
    EXPECT_EQ(FileFlags(OpenOption(ofFileMustExist) | OpenOption(ofHideReadOnly)),
              Base | 0x1000 | 0x4);
    EXPECT_EQ(FileSizeFlags, 0x82004u);
}

TEST(FillFileNameBuf, CopiesAtMost260CharactersIntoAZeroedBuffer)
{
    char Buf[FileNameBufSize];
    static_assert(sizeof Buf == 262, "260 characters, a terminator and one spare");
    memset(Buf, 'x', sizeof Buf);
    FillFileNameBuf(Buf, "C:\\a.txt");
    EXPECT_STREQ(Buf, "C:\\a.txt");
    for (size_t I = 8; I < sizeof Buf; I++) ASSERT_EQ(Buf[I], 0) << I;

    string Long(300, 'n');
    memset(Buf, 'x', sizeof Buf);
    FillFileNameBuf(Buf, Long);
    EXPECT_EQ(strlen(Buf), 260u);
    EXPECT_EQ(Buf[260], 0);
    EXPECT_EQ(Buf[261], 0);

    FillFileNameBuf(Buf, string(260, 'e'));
    EXPECT_EQ(strlen(Buf), 260u);
    FillFileNameBuf(Buf, "");
    EXPECT_EQ(Buf[0], 0);
}
