// BytewiseCompare: the comparison engine and the difference row.
#include "BytewiseCompare.h"

#include <stdlib.h>
#include <string.h>

#include "QFile.h"
#include "QSysUtil.h"

const char ContinuePromptCaption[] = " Notice!";

string ContinuePromptText(int64_t ACount)
{
    return "Already found " + Int64ToStr(ACount) + " differencies. Continue?";
}

bool AskContinue(HWND AWin, int64_t ACount)
{
    return QMessageBox(AWin, ContinuePromptText(ACount), ContinuePromptCaption,
                       qmbRetryCancel | qmbIconError) != qidCancel;
}

void ShowFileError(HWND AWin, int ACode)
{
    SetIOResult(ACode);
    ErrorIOResult(AWin);
}

// Writes AText right-aligned in a field of AWidth (wider text is kept whole); returns the end.
static char *PutField(char *AOut, const char *AText, size_t ALen, size_t AWidth)
{
    for (size_t I = ALen; I < AWidth; I++) *AOut++ = ' ';
    memcpy(AOut, AText, ALen);
    return AOut + ALen;
}

static char *PutNumber(char *AOut, uint64_t AValue, size_t AWidth)
{
    char Digits[24];
    char *P = Digits + sizeof Digits;
    do {
        *--P = (char)('0' + AValue % 10);
        AValue /= 10;
    } while (AValue);
    return PutField(AOut, P, (size_t)(Digits + sizeof Digits - P), AWidth);
}

// Character cell: bytes below 33 (controls and the blank) as "#" and the decimal value,
// every other byte as itself.
static char *PutCell(char *AOut, uint8_t AByte)
{
    if (AByte >= 33) {
        char C = (char)AByte;
        return PutField(AOut, &C, 1, 3);
    }
    char Text[3] = {'#', 0, 0};
    size_t Len = 2;
    if (AByte >= 10) {
        Text[1] = (char)('0' + AByte / 10);
        Text[2] = (char)('0' + AByte % 10);
        Len = 3;
    } else {
        Text[1] = (char)('0' + AByte);
    }
    return PutField(AOut, Text, Len, 3);
}

string MakeDiffRow(int64_t APos, uint8_t AByte1, uint8_t AByte2)
{
    char Row[48];
    char *P = Row;
    P = PutNumber(P, APos < 0 ? 0 : (uint64_t)APos, 7);
    *P++ = ' ';
    P = PutNumber(P, AByte1, 3);
    *P++ = ' ';
    P = PutNumber(P, AByte2, 3);
    *P++ = ' ';
    P = PutCell(P, AByte1);
    *P++ = ' ';
    P = PutCell(P, AByte2);
    return string(Row, (size_t)(P - Row));
}

// First index from AFrom on (below AEnd) where the blocks differ, or AEnd. Equal stretches
// go through memcmp a chunk at a time, then 8-byte words, then single bytes.
static uint32_t FirstDiff(const uint8_t *A, const uint8_t *B, uint32_t AFrom, uint32_t AEnd)
{
    enum { Chunk = 512 };
    uint32_t I = AFrom;
    while (AEnd - I >= Chunk && memcmp(A + I, B + I, Chunk) == 0) I += Chunk;
    while (AEnd - I >= 8) {
        uint64_t X, Y;
        memcpy(&X, A + I, 8);
        memcpy(&Y, B + I, 8);
        if (X != Y) break;
        I += 8;
    }
    while (I < AEnd && A[I] == B[I]) I++;
    return I;
}

size_t Utf16Length(const string &AText)
{
    size_t N = 0;
    for (size_t I = 0; I < AText.length(); I++) {
        uint8_t B = (uint8_t)AText[I];
        if ((B & 0xC0) != 0x80) N += B >= 0xF0 ? 2 : 1;   // continuation bytes add nothing
    }
    return N;
}

bool NameFits(const string &AName)
{
    return Utf16Length(AName) <= (size_t)NameMax && AName.length() <= (size_t)FileNameMax;
}

// Hands the pending code, if any, to the reporter with AName (reading it clears it).
static bool ReportPending(const TCompareHooks &AHooks, const string &AName)
{
    int Code = IOResult();
    if (Code) AHooks.ReportError(AHooks.Context, Code, AName);
    return Code != 0;
}

// Second file first, each close's failure reported once with its file's name. A code left
// by the reads (of file AReadName) is reported after the second close unless that close
// failed too: the latest code is the one shown.
static bool CloseBoth(TFile &AFirst, TFile &ASecond, const string &AFirstName,
                      const string &ASecondName, const string &AReadName, const TCompareHooks &AHooks)
{
    int ReadCode = IOResult();
    if (FileIsOpen(ASecond)) CloseFile(ASecond);
    bool Failed = ReportPending(AHooks, ASecondName);
    if (!Failed && ReadCode) {
        AHooks.ReportError(AHooks.Context, ReadCode, AReadName);
        Failed = true;
    }
    if (FileIsOpen(AFirst)) CloseFile(AFirst);
    return ReportPending(AHooks, AFirstName) || Failed;
}

// Opens AName for reading; reports a name that does not fit or a failed open.
static bool OpenForCompare(TFile &F, const string &AName, const TCompareHooks &AHooks)
{
    if (!NameFits(AName)) {
        // The file layer would cut the name and might find another file by the cut name.
        AHooks.ReportError(AHooks.Context, 206, AName);
        return false;
    }
    // Read-only opens that let others read and write: a read-only file can be compared.
    AssignFile(F, AName.c_str());
    Reset(F, 1, fmOpenRead);
    if (FileIsOpen(F)) return true;
    ReportPending(AHooks, AName);
    return false;
}

bool CompareFiles(const string &AFirst, const string &ASecond, const TCompareHooks &AHooks)
{
    TCompareResult Result;
    return CompareFiles(AFirst, ASecond, AHooks, Result);
}

bool CompareFiles(const string &AFirst, const string &ASecond, const TCompareHooks &AHooks,
                  TCompareResult &AResult)
{
    TFile F1, F2;
    AResult = TCompareResult();
    IOResult();   // a code left over from elsewhere is not this run's
    // The buffers first: their lack concerns neither file.
    uint8_t *Buff = (uint8_t *)malloc(2 * (size_t)SizeMem);
    if (!Buff) {
        AHooks.ReportError(AHooks.Context, 8, string());
        return false;
    }
    if (!OpenForCompare(F1, AFirst, AHooks)) {
        free(Buff);
        return false;
    }
    if (!OpenForCompare(F2, ASecond, AHooks)) {
        free(Buff);
        CloseBoth(F1, F2, AFirst, ASecond, AFirst, AHooks);
        return false;
    }
    int64_t Rest1 = FileSize(F1);
    int Code = IOResult();
    const string *SizeName = &AFirst;
    int64_t Rest2 = 0;
    if (!Code) {
        Rest2 = FileSize(F2);
        Code = IOResult();
        SizeName = &ASecond;
    }
    if (Code) {
        free(Buff);
        AHooks.ReportError(AHooks.Context, Code, *SizeName);
        CloseBoth(F1, F2, AFirst, ASecond, AFirst, AHooks);
        return false;
    }
    uint8_t *BuffO = Buff + SizeMem;
    AResult.Measured = true;
    AResult.Size1 = Rest1;
    AResult.Size2 = Rest2;

    const int64_t Total = Rest1 < Rest2 ? Rest1 : Rest2;   // positions that exist in both
    int64_t Offset = 0;   // file position of the current blocks' first byte
    int64_t Count = 0;    // differences found in this run
    bool Stop = false;
    const string *ReadName = &AFirst;   // the file whose read came up short
    // Once either file has ended no position exists in both, so nothing more is read.
    while (Rest1 > 0 && Rest2 > 0 && !Stop) {
        uint32_t Len1 = Rest1 >= SizeMem ? (uint32_t)SizeMem : (uint32_t)Rest1;
        uint32_t Len2 = Rest2 >= SizeMem ? (uint32_t)SizeMem : (uint32_t)Rest2;
        uint32_t Got1 = 0, Got2 = 0;
        // Each read's code is taken at once, so that the code reported is that of the file
        // named with it.
        BlockRead(F1, Buff, Len1, &Got1);
        int Code1 = IOResult();
        BlockRead(F2, BuffO, Len2, &Got2);
        int Code2 = IOResult();
        bool Short = Got1 < Len1 || Got2 < Len2;
        // Only bytes both files delivered are compared.
        uint32_t End = Got1 < Got2 ? Got1 : Got2;
        uint32_t Done = End;
        for (uint32_t I = FirstDiff(Buff, BuffO, 0, End); I < End; I = FirstDiff(Buff, BuffO, I + 1, End)) {
            Count++;
            AHooks.AddRow(AHooks.Context, MakeDiffRow(Offset + I, Buff[I], BuffO[I]));
            if (Count % PromptEvery == 0 && !AHooks.GoOn(AHooks.Context, Count)) {
                Stop = true;
                Done = I + 1;
                break;
            }
        }
        AResult.Compared += Done;
        if (Short) {
            // A failed or short read (the file shrank, or the disk failed) ends the run;
            // its code (100 for a read that came up short without one) is reported after
            // the files are closed.
            bool FirstShort = Got1 < Len1;
            ReadName = FirstShort ? &AFirst : &ASecond;
            Code = FirstShort ? Code1 : Code2;
            SetIOResult(Code ? Code : 100);
            break;
        }
        Offset += Len1;
        Rest1 -= Len1;
        Rest2 -= Len2;
        if (!Stop && AHooks.Progress && !AHooks.Progress(AHooks.Context, AResult.Compared, Total))
            Stop = true;
    }
    free(Buff);
    AResult.Count = Count;
    AResult.Stopped = Stop;
    AResult.Failed = CloseBoth(F1, F2, AFirst, ASecond, *ReadName, AHooks);
    return true;
}
