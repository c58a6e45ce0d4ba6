// Checks the installer's Wine tests share: a fresh working folder, what must be on disk after
// an installation, and screenshots of a step for a person to look at.
#ifndef INSTALLERCHECKS_H
#define INSTALLERCHECKS_H

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "InstallerDriver.h"
#include "QConst.h"

// A fresh, empty working folder for one test: C:\unfurl-tests\AName.
inline std::string Work(const std::string &AName)
{
    std::string D = "C:\\unfurl-tests\\" + AName;
    QRemoveTree(D);
    MakeFolders(D);
    return D;
}

inline std::string BackSlashes(std::string S)
{
    for (char &C : S)
        if (C == '/') C = '\\';
    return S;
}

// Every entry is under ADir (but those named in ASkip): files byte for byte with their stored
// time, folders made.
inline void ExpectInstalled(const std::string &ADir, const std::vector<TZipItem> &AEntries,
                            const std::vector<std::string> &ASkip = {})
{
    for (const TZipItem &E : AEntries) {
        bool Skip = false;
        for (const std::string &N : ASkip) Skip |= N == E.Name;
        if (Skip) continue;
        std::string Path = ADir + "\\" + BackSlashes(E.Name);
        if (E.Name.back() == '/') {
            EXPECT_TRUE(IsFolder(Path.substr(0, Path.size() - 1))) << E.Name;
            continue;
        }
        std::string Data;
        ASSERT_TRUE(QReadFile(Path, Data)) << E.Name;
        EXPECT_TRUE(Data == E.Data) << E.Name << ": contents differ";
        EXPECT_EQ(FileDosTime(Path), (uint32_t)E.Date << 16 | E.Time) << E.Name;
    }
}

// A small payload: deflated and stored files, a folder entry, files in a folder, stored times.
inline std::vector<TZipItem> Payload()
{
    std::vector<TZipItem> E(5);
    E[0].Name = "a.txt";
    E[0].Data = "first file\r\n";
    E[1].Name = "docs/";
    E[1].Method = 0;
    E[2].Name = "docs/b.txt";
    E[2].Data = std::string(5000, 'b') + "end";
    E[2].Time = 0x7A31;         // 15:17:34
    E[3].Name = "docs/stored.bin";
    E[3].Method = 0;
    for (int I = 0; I < 300; I++) E[3].Data += (char)(I * 7);
    E[4].Name = "z.txt";
    E[4].Data = "last";
    E[4].Time = 0x7A31;
    return E;
}

// Writes an installer carrying AEntries as ADir\AName and answers its path.
inline std::string MakeSetup(const std::string &ADir, const std::vector<TZipItem> &AEntries,
                             const char *AName = "setup.exe")
{
    std::string Exe = BuildInstaller(ZipBuild(AEntries), "Test product", "installed by the tests");
    EXPECT_FALSE(Exe.empty());
    std::string Path = ADir + "\\" + AName;
    EXPECT_TRUE(QWriteFile(Path, Exe));
    return Path;
}

// Starts the installer ASetup (in ACurDir), waits for its dialog and presses OK AClicks times
// with AField in the folder field. Answers the dialog, 0 when it did not come.
inline HWND StartInstall(TInstaller &AInst, const std::string &ASetup, const std::string &AField,
                         const std::string &ACurDir = std::string(), int AClicks = 1)
{
    if (!AInst.Start(ASetup, ACurDir)) return 0;
    HWND Dlg = AInst.WaitWindow(MainCaption);
    if (!Dlg) return 0;
    SetItemText(Dlg, CM_EDIT, AField);
    for (int I = 0; I < AClicks; I++) Press(Dlg, CM_OK);
    return Dlg;
}

// ACount text files "f<First+I>.txt" of about 20 KB each: a run that lasts long enough for
// clicks and Cancel to arrive while it works.
inline std::vector<TZipItem> ManyFiles(int ACount, int AFirst)
{
    std::vector<TZipItem> E;
    for (int I = 0; I < ACount; I++) {
        TZipItem F;
        F.Name = "f" + std::to_string(AFirst + I) + ".txt";
        F.Data = std::string(20000 + I, (char)('a' + I % 26));
        E.push_back(F);
    }
    return E;
}

// Saves the screen as AName in the screenshot folder, when one is given (UNFURL_SHOTS).
inline void Shoot(HWND AWnd, const char *AName, bool ASettle = true)
{
    std::string Dir = ShotDir();
    if (Dir.empty()) return;
    if (ASettle) {
        RedrawWindow(AWnd, 0, 0, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        Sleep(400);                    // a new window paints after it shows
    }
    TPicture P;
    if (CaptureWindow(AWnd, P, true)) SaveBitmap(P, Dir + "\\" + AName);
}

#endif
