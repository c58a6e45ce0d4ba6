// The comparison engine over files larger than 4 GiB (sparse, so they cost no disk space):
// positions past 2 GiB and 4 GiB are found and written in full.
#include <gtest/gtest.h>

#include <string>

#include "BytewiseCompare.h"
#include "CompareRecorder.h"
#include "QFile.h"
#include "QTestFiles.h"

static const int64_t Size = (int64_t(1) << 32) + 100000;

// A file of Size bytes, zero except for the bytes given, written through the file layer.
static void MakeSparse(const std::string &AName, const std::vector<std::pair<int64_t, char>> &ABytes)
{
    TFile F;
    AssignFile(F, AName.c_str());
    Rewrite(F);
    for (const auto &B : ABytes) {
        Seek(F, B.first);
        BlockWrite(F, &B.second, 1);
    }
    Seek(F, Size - 1);
    char Zero = 0;
    BlockWrite(F, &Zero, 1);
    CloseFile(F);
    ASSERT_EQ(IOResult(), 0) << AName;
}

// Holes read fastest from a memory file system (Linux's /dev/shm, also under Wine's Z:).
static std::string FastBase()
{
#ifdef _WIN32
    const char *Shm = "Z:\\dev\\shm";
    DWORD Attr = GetFileAttributesA(Shm);
    return Attr != INVALID_FILE_ATTRIBUTES && (Attr & FILE_ATTRIBUTE_DIRECTORY) ? Shm : "";
#else
    struct stat St;
    return stat("/dev/shm", &St) == 0 && S_ISDIR(St.st_mode) ? "/dev/shm" : "";
#endif
}

TEST(CompareLarge, DifferencesPast2And4GiB)
{
    TTempDir Dir(FastBase());
    std::string A = Dir.Join("a.bin"), B = Dir.Join("b.bin");
    MakeSparse(A, {{3, 'x'}});
    MakeSparse(B, {{3, 'x'}, {(int64_t(1) << 31) + 5, 'B'}, {(int64_t(1) << 32) + 12345, '!'}});
    TCompareRecorder R;
    EXPECT_TRUE(R.Run(A, B));
    ASSERT_EQ(R.Rows.size(), 2u);
    EXPECT_EQ(R.Rows[0], "2147483653   0  66  #0   B");
    EXPECT_EQ(R.Rows[1], "4294979641   0  33  #0   !");
    EXPECT_TRUE(R.Errors.empty());
    EXPECT_EQ(R.Result.Size2, Size);
    EXPECT_EQ(R.Result.Compared, Size);
    EXPECT_EQ(R.Reads, 2 * (uint32_t)((Size + SizeMem - 1) / SizeMem));   // read to the end
    EXPECT_EQ(R.Closes, 2u);
}
