// The settings store against real INI files and the registry of the Wine prefix.
#include <gtest/gtest.h>
#include <windows.h>
#include <stdio.h>
#include <string>
#include "QIni.h"

namespace {

// A fresh folder per test, removed with its files afterwards.
class QIniFile : public ::testing::Test {
protected:
    std::string Dir;
    void SetUp() override
    {
        char Temp[MAX_PATH];
        GetTempPathA(sizeof Temp, Temp);
        Dir = std::string(Temp) + "qini-" + std::to_string(GetCurrentProcessId()) + "-" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name();
        CreateDirectoryA(Dir.c_str(), 0);
        FIniFile = (Dir + "\\Test.INI").c_str();
    }
    void TearDown() override
    {
        DeleteFileA(FIniFile.c_str());
        RemoveDirectoryA(Dir.c_str());
        FIniFile = string();
    }
    std::string Raw() const
    {
        std::string Text;
        FILE *F = fopen(FIniFile.c_str(), "rb");
        if (!F) return "<missing>";
        char Buf[4096];
        size_t N;
        while ((N = fread(Buf, 1, sizeof Buf, F)) > 0) Text.append(Buf, N);
        fclose(F);
        return Text;
    }
    void WriteRaw(const char *AText) const
    {
        FILE *F = fopen(FIniFile.c_str(), "wb");
        fputs(AText, F);
        fclose(F);
    }
};

std::string Std(const string &S) { return std::string(S.c_str(), S.length()); }

}  // namespace

TEST_F(QIniFile, MissingFileGivesDefaultsAndIsNotCreatedByReading)
{
    EXPECT_EQ(Std(IniReadString("PROPERTY", "INPUT", "")), "");
    EXPECT_EQ(Std(IniReadString("PROPERTY", "INPUT", "x ;; y")), "x");
    EXPECT_EQ(IniReadInteger("PROPERTY", "N", 17), 17);
    EXPECT_TRUE(IniReadBool("PROPERTY", "B", true));
    EXPECT_EQ(Std(IniReadSection("PROPERTY")), "");
    EXPECT_EQ(Raw(), "<missing>");
}

TEST_F(QIniFile, FirstWriteCreatesFileSectionAndKeys)
{
    IniWriteString("PROPERTY", "INPUT", "C:\\a\\first.bin");
    IniWriteString("PROPERTY", "OUTPUT", "");
    std::string Text = Raw();
    EXPECT_NE(Text.find("[PROPERTY]"), std::string::npos) << Text;
    EXPECT_NE(Text.find("INPUT=C:\\a\\first.bin"), std::string::npos) << Text;
    EXPECT_NE(Text.find("OUTPUT="), std::string::npos) << "an empty value keeps its key: " << Text;
    EXPECT_LT(Text.find("INPUT="), Text.find("OUTPUT="));
    EXPECT_EQ(Std(IniReadString("PROPERTY", "INPUT", "d")), "C:\\a\\first.bin");
    EXPECT_EQ(Std(IniReadString("PROPERTY", "OUTPUT", "d")), "");
    EXPECT_EQ(Std(IniReadSection("PROPERTY")), "INPUT\r\nOUTPUT\r\n");
}

// The reading rules themselves are shown in test_qinilogic; here they apply to stored values.
TEST_F(QIniFile, StoredValuesAndMissingKeysGoThroughTheReadingRules)
{
    WriteRaw("[S]\r\nc=abc ;; note\r\nn=0x1F\r\nten=ten\r\nb=yes\r\n");
    EXPECT_EQ(Std(IniReadString("S", "c", "")), "abc");
    EXPECT_EQ(IniReadInteger("S", "n", 9), 31);
    EXPECT_EQ(IniReadInteger("S", "ten", 9), 9);
    EXPECT_TRUE(IniReadBool("S", "b", true));
    EXPECT_FALSE(IniReadBool("S", "b", false));
    EXPECT_EQ(Std(IniReadString("T", "c", "def")), "def");
    EXPECT_EQ(Std(IniReadString("S", "none", "def  ")), "def");
    EXPECT_EQ(IniReadInteger("S", "none", -3), -3);
}

TEST_F(QIniFile, WrittenValuesReadBackWithoutTrailingBlanks)
{
    IniWriteString("S", "name", "ends in blanks   ");
    EXPECT_EQ(Std(IniReadString("S", "name", "")), "ends in blanks");
    IniWriteString("S", "name", "replaced");
    EXPECT_EQ(Std(IniReadString("S", "name", "")), "replaced");
    IniWriteBool("S", "t", true);
    IniWriteBool("S", "f", false);
    IniWriteInteger("S", "neg", -5);
    std::string Text = Raw();
    EXPECT_NE(Text.find("t=1"), std::string::npos) << Text;
    EXPECT_NE(Text.find("f=0"), std::string::npos) << Text;
    EXPECT_NE(Text.find("neg=-5"), std::string::npos) << Text;
    EXPECT_EQ(Text.find("replaced"), Text.rfind("replaced")) << "one key, not two: " << Text;
}

TEST_F(QIniFile, LongValueReadsBackAsItsFirst1023Characters)
{
    std::string Long;
    for (int I = 0; I < 1500; I++) Long += (char)('a' + I % 26);
    IniWriteString("S", "long", Long.c_str());
    EXPECT_NE(Raw().find(Long), std::string::npos) << "stored whole";
    EXPECT_EQ(Std(IniReadString("S", "long", "")), Long.substr(0, 1023));
}

TEST_F(QIniFile, EraseSectionAndDeleteKey)
{
    IniWriteString("KEEP", "k", "v");
    IniWriteString("GONE", "a", "1");
    IniWriteString("GONE", "b", "2");
    IniWriteString("KEYS", "x", "1");
    IniWriteString("KEYS", "y", "2");
    IniEraseSection("GONE");
    IniDeleteKey("KEYS", "x");
    std::string Text = Raw();
    EXPECT_EQ(Text.find("[GONE]"), std::string::npos) << Text;
    EXPECT_EQ(Std(IniReadString("GONE", "a", "d")), "d");
    EXPECT_EQ(Std(IniReadString("GONE", "b", "d")), "d");
    EXPECT_EQ(Std(IniReadString("KEYS", "x", "d")), "d");
    EXPECT_EQ(Std(IniReadString("KEYS", "y", "d")), "2");
    EXPECT_EQ(Std(IniReadString("KEEP", "k", "d")), "v");
    EXPECT_EQ(Std(IniReadSection("KEYS")), "y\r\n");
}

TEST(QIniUnset, NoFileNameMeansDefaultsAndNoWrites)
{
    FIniFile = string();
    IniWriteString("QIniUnsetTest", "k", "v");
    EXPECT_EQ(Std(IniReadString("QIniUnsetTest", "k", "d")), "d");
    char Buf[16];
    GetProfileStringA("QIniUnsetTest", "k", "none", Buf, sizeof Buf);
    EXPECT_STREQ(Buf, "none") << "nothing may land in WIN.INI";
}

TEST(QIniRegistry, MissingAndStoredValues)
{
    const char *Sub = "Software\\QIniRegistryTest";
    RegDeleteKeyA(HKEY_CURRENT_USER, Sub);
    const intptr_t Root = (intptr_t)HKEY_CURRENT_USER;
    EXPECT_EQ(Std(RegReadString(Root, Sub, "Name", "def")), "def") << "missing key";

    HKEY Key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, Sub, 0, 0, 0, KEY_ALL_ACCESS, 0, &Key, 0),
              ERROR_SUCCESS);
    std::string Max(255, 'm'), Over(300, 'o');
    RegSetValueExA(Key, "Name", 0, REG_SZ, (const BYTE *)"abc", 4);
    RegSetValueExA(Key, "Empty", 0, REG_SZ, (const BYTE *)"", 1);
    RegSetValueExA(Key, "Max", 0, REG_SZ, (const BYTE *)Max.c_str(), 256);
    RegSetValueExA(Key, "Over", 0, REG_SZ, (const BYTE *)Over.c_str(), 301);
    RegCloseKey(Key);

    EXPECT_EQ(Std(RegReadString(Root, Sub, "Name", "def")), "abc");
    EXPECT_EQ(Std(RegReadString(Root, Sub, "Missing", "def")), "def") << "missing value";
    EXPECT_EQ(Std(RegReadString(Root, Sub, "Empty", "def")), "");
    EXPECT_EQ(Std(RegReadString(Root, Sub, "Max", "def")), Max);
    EXPECT_EQ(Std(RegReadString(Root, Sub, "Over", "def")), "def") << "too long for the buffer";
    RegDeleteKeyA(HKEY_CURRENT_USER, Sub);
}
