// bench_compare: runs the comparison engine on two files with a counting row sink that
// always goes on, for tools/bench-compare.sh. Also makes the benchmark's test files.
//   bench_compare FIRST SECOND           compare; prints the row count
//   bench_compare make NAME BYTES SEED   a file of pseudo-random bytes
//   bench_compare alter SRC DEST COUNT   DEST = SRC with COUNT bytes changed, spread evenly
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

#include "BytewiseCompare.h"

struct TCount {
    int64_t Rows = 0, Prompts = 0, Errors = 0;
    uint64_t Check = 0;   // keeps the rows' text in use
};

static void AddRow(void *C, const string &ARow)
{
    TCount &N = *(TCount *)C;
    N.Rows++;
    N.Check += (unsigned char)ARow[ARow.length() - 1];
}
static bool GoOn(void *C, int64_t)
{
    ((TCount *)C)->Prompts++;
    return true;
}
static void Report(void *C, int ACode, const string &)
{
    ((TCount *)C)->Errors++;
    fprintf(stderr, "file error %d\n", ACode);
}

static int Make(const char *AName, uint64_t ABytes, uint64_t ASeed)
{
    FILE *F = fopen(AName, "wb");
    if (!F) return 1;
    std::vector<uint64_t> Buf(1 << 17);
    uint64_t X = ASeed * 0x9E3779B97F4A7C15ULL + 1;
    for (uint64_t Done = 0; Done < ABytes;) {
        for (auto &W : Buf) {   // xorshift64
            X ^= X << 13;
            X ^= X >> 7;
            X ^= X << 17;
            W = X;
        }
        size_t Len = Buf.size() * 8;
        if (Len > ABytes - Done) Len = (size_t)(ABytes - Done);
        if (fwrite(Buf.data(), 1, Len, F) != Len) return 1;
        Done += Len;
    }
    return fclose(F) != 0;
}

static int Alter(const char *ASrc, const char *ADest, uint64_t ACount)
{
    FILE *In = fopen(ASrc, "rb");
    if (!In) return 1;
    std::vector<unsigned char> Data;
    unsigned char Buf[65536];
    size_t Got;
    while ((Got = fread(Buf, 1, sizeof Buf, In)) > 0) Data.insert(Data.end(), Buf, Buf + Got);
    fclose(In);
    if (Data.empty() || ACount == 0) return 1;
    uint64_t Step = Data.size() / ACount;
    for (uint64_t I = 0; I < ACount; I++) Data[I * Step + Step / 2] ^= 0x5A;
    FILE *Out = fopen(ADest, "wb");
    if (!Out || fwrite(Data.data(), 1, Data.size(), Out) != Data.size()) return 1;
    return fclose(Out) != 0;
}

int main(int argc, char **argv)
{
    if (argc == 5 && !strcmp(argv[1], "make")) return Make(argv[2], strtoull(argv[3], 0, 10), strtoull(argv[4], 0, 10));
    if (argc == 5 && !strcmp(argv[1], "alter")) return Alter(argv[2], argv[3], strtoull(argv[4], 0, 10));
    if (argc != 3) {
        fprintf(stderr, "usage: bench_compare FIRST SECOND | make NAME BYTES SEED | alter SRC DEST COUNT\n");
        return 2;
    }
    TCount N;
    TCompareHooks Hooks = {&N, AddRow, GoOn, Report};
    bool Ran = CompareFiles(argv[1], argv[2], Hooks);
    printf("rows %lld prompts %lld errors %lld check %llu\n", (long long)N.Rows, (long long)N.Prompts,
           (long long)N.Errors, (unsigned long long)N.Check);
    return Ran && N.Errors == 0 ? 0 : 1;
}
