// QSysUtil: text buffers, paths, numbers, error texts, folders and file tests, copy.
#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <vector>
#ifdef _WIN32
#include <direct.h>
#define chdir _chdir
#define getcwd _getcwd
#else
#include <unistd.h>
#endif

#include "QFile.h"
#include "QSysUtil.h"
#include "QTestFiles.h"

static std::string S(const string &A) { return std::string(A.c_str(), A.length()); }

struct TPathCase {
    const char *In, *Out;
};

TEST(QSysUtilPath, ExtractFilePath)
{
    const TPathCase Cases[] = {
        {"C:\\dir\\file.txt", "C:\\dir"}, {"C:\\dir\\", "C:\\dir"}, {"C:\\file", "C:\\"},
        {"C:\\", "C:\\"},                 {"C:file", "C:"},          {"file", ""},
        {"dir/sub/x", "dir/sub"},         {"\\\\server\\share\\file", "\\\\server\\share"},
        {"\\file", ""},                   {"C:/file", "C:/"},        {"a:b\\c", "a:b"},
    };
    for (const auto &C : Cases) EXPECT_EQ(S(ExtractFilePath(C.In)), C.Out) << C.In;
}

TEST(QSysUtilPath, ExtractFilePathOfNothingIsTheProgramsFolder)
{
    string Folder = ExtractFilePath("");
#ifdef _WIN32
    char Own[MAX_PATH];
    GetModuleFileNameA(0, Own, MAX_PATH);
    *strrchr(Own, '\\') = 0;
    EXPECT_STREQ(Folder.c_str(), Own);
#else
    // The folder holds this test program.
    std::string Self = S(Folder) + "/test_qsysutil";
    EXPECT_EQ(access(Self.c_str(), X_OK), 0) << Self;
#endif
}

TEST(QSysUtilPath, ExtractFileNameExtAndDrive)
{
    const TPathCase Names[] = {
        {"C:\\dir\\file.txt", "file.txt"}, {"C:file", "file"}, {"dir\\", ""},
        {"", ""},                          {"plain", "plain"}, {"a/b", "b"},
    };
    for (const auto &C : Names) EXPECT_EQ(S(ExtractFileName(C.In)), C.Out) << C.In;
    EXPECT_EQ(ExtractFileName(string(300, 'n')).length(), 255u);

    const TPathCase Exts[] = {
        {"a.b\\c", ".b\\c"}, {"name.", "."}, {"name", ""}, {"C:\\x\\f.tar.gz", ".gz"},
    };
    for (const auto &C : Exts) EXPECT_EQ(S(ExtractFileExt(C.In)), C.Out) << C.In;

    const TPathCase Drives[] = {
        {"C:\\dir\\f", "C:"},
        {"\\\\srv\\share\\dir\\f", "\\\\srv\\share"},
        {"\\\\srv\\share", "\\\\srv\\share"},
        {"\\dir\\f", ""},
        {"f", ""},
    };
    for (const auto &C : Drives) EXPECT_EQ(S(ExtractFileDrive(C.In)), C.Out) << C.In;
}

TEST(QSysUtilBuffer, CopyScanAndLength)
{
    char Buf[400];
    memset(Buf, 'x', sizeof Buf);
    EXPECT_EQ(StrLCopy(Buf, "abcdef", 3), Buf);
    EXPECT_STREQ(Buf, "abc");
    StrLCopy(Buf, "abc", 0);
    EXPECT_EQ(Buf[0], 0);
    StrLCopy(Buf, "ab", 10);
    EXPECT_STREQ(Buf, "ab");

    // A 300-character string is cut to 255 characters and a terminator.
    memset(Buf, 'x', sizeof Buf);
    StrPCopy(Buf, string(300, 'q'));
    EXPECT_EQ(strlen(Buf), 255u);
    EXPECT_EQ(Buf[256], 'x');
    EXPECT_EQ(StrLen(Buf), 255);

    const char *T = "hello";
    EXPECT_EQ(StrScan(T, 'l'), T + 2);
    EXPECT_EQ(StrScan(T, 0), T + 5);
    EXPECT_EQ(StrScan(T, 'z'), nullptr);
    EXPECT_EQ(Strend(T), T + 5);
}

TEST(QSysUtilBuffer, PCharToStrCutsAtTheFirstZero)
{
    const char Field[10] = {'a', 'b', 'c', 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(S(PCharToStr(Field, 10)), "abc");
    EXPECT_EQ(S(PCharToStr("abcdef", 4)), "abcd");
    EXPECT_EQ(S(PCharToStr("abcdef")), "abcdef");
}

TEST(QSysUtilBuffer, DirTails)
{
    char Buf[16] = "C:\\dir";
    EXPECT_STREQ(AppendDirTail(Buf), "C:\\dir\\");
    EXPECT_STREQ(AppendDirTail(Buf), "C:\\dir\\");
    strcpy(Buf, "C:\\dir\\\\");
    EXPECT_STREQ(RemoveDirTail(Buf), "C:\\dir\\");
    EXPECT_STREQ(RemoveDirTail(Buf), "C:\\dir");
    EXPECT_STREQ(RemoveDirTail(Buf), "C:\\dir");
}

TEST(QSysUtilBuffer, HeapBufferKeepsItsSize)
{
    PChar P = StrAlloc(100);
    ASSERT_NE(P, nullptr);
    EXPECT_EQ(StrBufSize(P), 100u);
    memset(P, 'z', 100);   // the whole usable size is writable
    StrDispose(P);
    StrDispose(0);
}

TEST(QSysUtilNumber, StrToInt)
{
    const struct {
        const char *In;
        int32_t Out;
    } Cases[] = {
        {"12", 12},          {" 12", 12},          {"12 ", -7},         {"", -7},
        {"$1f", 31},         {"$1F", 31},          {"0x1f", -7},        {"-0", 0},
        {"+5", 5},           {"-", -7},            {"$", -7},           {"2147483648", -7},
        {"2147483647", 2147483647}, {"-2147483648", -2147483647 - 1}, {"-2147483649", -7},
        {"$FFFFFFFF", -1},   {"$000000001", 1},    {"$100000000", -7},  {"-$1", -7},
        {"1 2", -7},         {"\t1", -7},          {"99999999999999999999", -7},
    };
    for (const auto &C : Cases) EXPECT_EQ(StrToInt(C.In, -7), C.Out) << "'" << C.In << "'";
}

TEST(QSysUtilNumber, IntToStrAndPadding)
{
    EXPECT_EQ(S(IntToStr(0)), "0");
    EXPECT_EQ(S(IntToStr(-42)), "-42");
    EXPECT_EQ(S(IntToStr(-2147483647 - 1)), "-2147483648");
    EXPECT_EQ(S(Int64ToStr(5000000000LL)), "5000000000");
    EXPECT_EQ(S(InsCharL("7", '0', 3)), "007");
    EXPECT_EQ(S(InsCharL("1234", '0', 3)), "1234");
    EXPECT_EQ(S(InsCharR("ab", '.', 4)), "ab..");
    EXPECT_EQ(S(InsCharR("abcde", '.', 4)), "abcde");
    EXPECT_EQ(S(DopNul(7)), "07");
    EXPECT_EQ(S(DopNul(10)), "10");
    EXPECT_EQ(S(ExtToStr(3.14159, 8, 2)), "    3.14");
    EXPECT_EQ(S(ExtToStr(12345.5, 3, 1)), "12345.5");
}

TEST(QSysUtilText, BlanksAndGroups)
{
    const TPathCase DStrCases[] = {{"ab  ", "ab"}, {"   ", ""}, {"", ""}, {"ab\t", "ab\t"}, {" a ", " a"}};
    for (const auto &C : DStrCases) EXPECT_EQ(S(DStr(C.In)), C.Out) << "'" << C.In << "'";
    EXPECT_EQ(S(Trim("\t x y \r\n")), "x y");
    EXPECT_EQ(S(TrimLeft("  x ")), "x ");
    EXPECT_EQ(S(TrimRight("  x \x01")), "  x");
    EXPECT_EQ(S(DelStr("a-b-c-", '-')), "abc");
    const TPathCase Groups[] = {{"123", "123"}, {"1234", "1 234 "}, {"123456", "123 456 "},
                                {"1234567", "1 234 567 "}};
    for (const auto &C : Groups) EXPECT_EQ(S(Str3Space(C.In)), C.Out) << C.In;
}

TEST(QSysUtilText, IdentsCaseAndTables)
{
    for (const char *Good : {"_a1", "Zeta"}) EXPECT_TRUE(IsValidIdent(Good)) << Good;
    for (const char *Bad : {"", "1a", "a-b"}) EXPECT_FALSE(IsValidIdent(Bad)) << Bad;
    EXPECT_EQ(S(AnsiUpperCase("abc xyZ 1")), "ABC XYZ 1");
    EXPECT_EQ(S(AnsiLowerCase("ABC xyZ 1")), "abc xyz 1");
    EXPECT_EQ(S(AnsiUpperCase("\xe9")), "\xc9");   // e acute, Windows-1252
    char Buf[] = "MiXed";
    EXPECT_STREQ(AnsiStrUpper(Buf), "MIXED");
    EXPECT_STREQ(AnsiStrLower(Buf), "mixed");

    string G = Gen32_255();
    ASSERT_EQ(G.length(), 224u + 4 * 2);
    EXPECT_EQ(G[0], ' ');
    EXPECT_EQ(S(G.substr(50, 2)), "\r\n");   // after the 50th character
    EXPECT_EQ((unsigned char)G[52], 82);
    EXPECT_EQ((unsigned char)G[G.length() - 1], 255);

    string St = WindowStyleText(0x10C80000);   // visible, caption (border + dlgframe), sysmenu
    EXPECT_EQ(S(St), "WS_BORDER\r\nWS_CAPTION\r\nWS_DLGFRAME\r\nWS_SYSMENU\r\nWS_VISIBLE\r\n");
    EXPECT_EQ(S(WindowStyleText(0x20000000)), "WS_MIMIZE\r\n");
}

struct TBox {
    std::string Text, Caption;
    unsigned Type;
};
static std::vector<TBox> Boxes;
static int RecordBox(HWND, const char *AText, const char *ACaption, unsigned AType)
{
    Boxes.push_back({AText, ACaption, AType});
    return qidOK;
}

class QSysUtilBoxes : public ::testing::Test {
protected:
    void SetUp() override
    {
        Saved = QMessageBoxProc;
        QMessageBoxProc = RecordBox;
        Boxes.clear();
        IOResult();
    }
    void TearDown() override { QMessageBoxProc = Saved; }
    TMessageBoxProc Saved;
};

// Codes that share a text, the table's ends, a text with its own capitals, and codes without
// a text of their own.
TEST_F(QSysUtilBoxes, CodesGiveTheirTexts)
{
    const struct {
        int Code;
        const char *Text;
    } Table[] = {
        {2, "File not found"},       {5, "File access denied"},   {32, "File access denied"},
        {103, "File access denied"}, {158, "Sector Not Found"},   {162, "Hardware failure"},
        {153, "Unknovn Error 153"},  {13, "Unknovn Error 13"},    {-1, "Unknovn Error -1"},
    };
    for (const auto &T : Table) {
        SetIOResult(T.Code);
        EXPECT_EQ(S(ErrorIOResultStr()), T.Text) << T.Code;
        EXPECT_EQ(IOResult(), 0) << "read clears the code";
    }
    EXPECT_EQ(S(ErrorIOResultStr()), "");
    EXPECT_TRUE(Boxes.empty());
}

TEST_F(QSysUtilBoxes, ErrorIOResultShowsOnceThenFindsNothing)
{
    SetIOResult(2);
    EXPECT_TRUE(ErrorIOResult(0));
    EXPECT_FALSE(ErrorIOResult(0));
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Text, "File not found");
    EXPECT_EQ(Boxes[0].Caption, "Error");
    EXPECT_EQ(Boxes[0].Type, (unsigned)(qmbOK | qmbIconError));
    QMess(0, "Done");
    ASSERT_EQ(Boxes.size(), 2u);
    EXPECT_EQ(Boxes[1].Caption, "Information");
    EXPECT_EQ(Boxes[1].Type, (unsigned)qmbIconInformation);
}

TEST(QSysUtilFiles, ForceDirectoriesCreatesEveryMissingLevel)
{
    TTempDir Dir;
    std::string A = Dir.Join("a");
    ASSERT_TRUE(CreateDir(A.c_str()));
    std::string C = A + QSep + "b" + QSep + "c";
    ForceDirectories(C.c_str());
    EXPECT_TRUE(DirectoryExists((A + QSep + "b").c_str()));
    EXPECT_TRUE(DirectoryExists(C.c_str()));
    // A trailing separator creates the same folders.
    std::string F = A + QSep + "d" + QSep + "e" + QSep;
    ForceDirectories(F.c_str());
    EXPECT_TRUE(DirectoryExists((A + QSep + "d" + QSep + "e").c_str()));
    // Names of one or two characters are folders too (relative to the current folder); an
    // empty name makes nothing; a file in the way stays a file.
    char Cwd[1024];
    ASSERT_TRUE(getcwd(Cwd, sizeof Cwd));
    ASSERT_EQ(0, chdir(A.c_str()));
    ForceDirectories("");
    ForceDirectories("x");
    ForceDirectories("ab");
    EXPECT_TRUE(DirectoryExists("x"));
    EXPECT_TRUE(DirectoryExists("ab"));
    ASSERT_EQ(0, chdir(Cwd));
    std::string Blocker = Dir.Join("file");
    ASSERT_TRUE(QWriteFile(Blocker, "x"));
    ForceDirectories((Blocker + QSep + "sub").c_str());
    EXPECT_FALSE(DirectoryExists((Blocker + QSep + "sub").c_str()));
    EXPECT_FALSE(DirectoryExists(Blocker.c_str()));
}

TEST(QSysUtilFiles, FileExistsConvertsSlashesInPlace)
{
    TTempDir Dir;
    ASSERT_TRUE(QWriteFile(Dir.Join("file.txt"), "x"));
    std::string Slashed = Dir.Path + "/file.txt";
    char Buf[MAX_PATH];
    strcpy(Buf, Slashed.c_str());
    EXPECT_TRUE(FileExists(Buf));
    EXPECT_EQ(strchr(Buf, '/'), nullptr) << Buf;
    EXPECT_EQ(std::string(Buf).substr(std::string(Buf).size() - 9), "\\file.txt");

    // A trailing backslash: true for an existing folder only. Wildcards match as in a
    // directory search; empty names never exist.
    const struct {
        std::string Name;
        bool Exists;
    } Cases[] = {
        {Dir.Path + "\\", true},   {Dir.Join("missing") + "\\", false},
        {Dir.Join("*.txt"), true}, {Dir.Join("*.bin"), false}, {"", false},
    };
    for (const auto &C : Cases) {
        strcpy(Buf, C.Name.c_str());
        EXPECT_EQ(FileExists(Buf), C.Exists) << "'" << C.Name << "'";
    }
}

TEST_F(QSysUtilBoxes, GetFileSizeAndItsFailure)
{
    TTempDir Dir;
    ASSERT_TRUE(QWriteFile(Dir.Join("f"), std::string(12345, 'a')));
    EXPECT_EQ(GetFileSize(Dir.Join("f").c_str()), 12345);
    EXPECT_TRUE(Boxes.empty());
    EXPECT_EQ(GetFileSize(Dir.Join("nope").c_str()), -1);
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Text, "File not found");
    EXPECT_EQ(IOResult(), 0);
}

TEST_F(QSysUtilBoxes, QCopyCopiesAppendsAndStopsAtTheFirstFailure)
{
    TTempDir Dir;
    std::string Data;
    for (int I = 0; I < 150000; I++) Data += (char)(I * 7);
    std::string Src = Dir.Join("src"), Dst = Dir.Join("dst");
    ASSERT_TRUE(QWriteFile(Src, Data));
    EXPECT_TRUE(QCopy(0, Src.c_str(), Dst.c_str(), false));
    EXPECT_EQ(QReadFile(Dst), Data);
    EXPECT_TRUE(QCopy(0, Src.c_str(), Dst.c_str(), true));
    EXPECT_EQ(QReadFile(Dst), Data + Data);
    EXPECT_TRUE(Boxes.empty());
    uint32_t Opened = FileStats().Opened, Closed = FileStats().Ops[foClose];

    // A missing source: one box; the destination was opened and is closed again.
    EXPECT_FALSE(QCopy(0, Dir.Join("none").c_str(), Dst.c_str(), false));
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Text, "File not found");
    EXPECT_EQ(FileStats().Opened - Opened, FileStats().Ops[foClose] - Closed);
    // A destination in a missing folder: one box, nothing opened.
    EXPECT_FALSE(QCopy(0, Src.c_str(), (Dir.Join("no") + QSep + "dst").c_str(), false));
    ASSERT_EQ(Boxes.size(), 2u);
    EXPECT_EQ(Boxes[1].Text, "Path not found");
    EXPECT_EQ(IOResult(), 0);
}
