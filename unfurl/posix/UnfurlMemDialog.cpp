// UnfurlMemDialog: the installer dialog in memory, the host build's binding of the archive
// walk's dialog seam.
#include "UnfurlMemDialog.h"

#include <string.h>

#include "UnfurlUnZip.h"

static TMemDialog &Mem(HWND AWnd) { return *(TMemDialog *)(void *)AWnd; }

static int CompareNoCase(const string &A, const string &B)
{
    size_t N = A.length() < B.length() ? A.length() : B.length();
    for (size_t I = 0; I < N; I++) {
        int CA = (uint8_t)A[I], CB = (uint8_t)B[I];
        if (CA >= 'a' && CA <= 'z') CA -= 32;
        if (CB >= 'a' && CB <= 'z') CB -= 32;
        if (CA != CB) return CA - CB;
    }
    return A.length() < B.length() ? -1 : A.length() > B.length() ? 1 : 0;
}

void MemSelectAll(TMemDialog &AMem) { AMem.Selected.assign(AMem.Items.size(), true); }

static HWND MemGetList(HWND ADlg, int) { return ADlg; }

static void MemListReset(HWND AList)
{
    Mem(AList).Items.clear();
    Mem(AList).Selected.clear();
    Mem(AList).IndexValid = false;
}

static std::string Key(const string &AName)
{
    std::string K(AName.c_str(), AName.length());
    for (char &C : K)
        if (C >= 'a' && C <= 'z') C = (char)(C - 32);
    return K;
}

static void MemListAdd(HWND AList, const string &AName)
{
    // After the items that sort before or equal to it, as a sorted list box inserts.
    TMemDialog &M = Mem(AList);
    size_t Lo = 0, Hi = M.Items.size();
    while (Lo < Hi) {
        size_t Mid = (Lo + Hi) / 2;
        if (CompareNoCase(M.Items[Mid], AName) <= 0) Lo = Mid + 1; else Hi = Mid;
    }
    M.Items.insert(M.Items.begin() + Lo, AName);
    M.Selected.insert(M.Selected.begin() + Lo, false);
    M.IndexValid = false;
}

// The search begins after AStart and wraps around; -1 searches from the top.
static int32_t MemListFind(HWND AList, int32_t AStart, const string &AName)
{
    TMemDialog &M = Mem(AList);
    int32_t N = (int32_t)M.Items.size();
    if (N == 0) return -1;
    if (!M.IndexValid) {
        M.Index.clear();
        for (int32_t I = 0; I < N; I++) M.Index[Key(M.Items[I])].push_back(I);
        M.IndexValid = true;
    }
    auto Found = M.Index.find(Key(AName));
    if (Found == M.Index.end()) return -1;
    const std::vector<int32_t> &At = Found->second;   // ascending
    int32_t From = AStart < 0 || AStart >= N ? 0 : AStart + 1;
    for (int32_t I : At)
        if (I >= From) return I;
    return At[0];
}

static string MemListText(HWND AList, int32_t AIndex)
{
    TMemDialog &M = Mem(AList);
    return AIndex >= 0 && AIndex < (int32_t)M.Items.size() ? M.Items[AIndex] : string();
}

static bool MemListGetSel(HWND AList, int32_t AIndex)
{
    TMemDialog &M = Mem(AList);
    return AIndex >= 0 && AIndex < (int32_t)M.Selected.size() && M.Selected[AIndex];
}

static void MemListSetSel(HWND AList, int32_t AIndex, bool ASelected)
{
    TMemDialog &M = Mem(AList);
    if (AIndex >= 0 && AIndex < (int32_t)M.Selected.size()) M.Selected[AIndex] = ASelected;
}

static int32_t MemListCount(HWND AList) { return (int32_t)Mem(AList).Items.size(); }

static int32_t MemListSelCount(HWND AList)
{
    int32_t N = 0;
    for (bool S : Mem(AList).Selected) N += S;
    return N;
}

static void MemSetProgress(HWND ADlg, int32_t APos)
{
    Mem(ADlg).Progress = APos;
    Mem(ADlg).Positions.push_back(APos);
}

static void MemSetLabel(HWND ADlg, const string &AText)
{
    Mem(ADlg).Label = AText;
    Mem(ADlg).Labels.push_back(AText);
}

static void MemDispatchOne(HWND ADlg) { Mem(ADlg).Dispatched++; }

static void MemShowError(HWND ADlg, const string &AText) { Mem(ADlg).Errors.push_back(AText); }

static void MemAskOverwrite(TUnZipRun &ARun, HWND ADlg)
{
    TMemDialog &M = Mem(ADlg);
    M.Asked.push_back(ARun.FileExistName);
    int A = maCancel;
    if (!M.Answers.empty()) {
        A = M.Answers.front();
        M.Answers.erase(M.Answers.begin());
    }
    AnswerOverwrite(ARun, A % 10, A > 10);
}

static void MemEndProgram(HWND ADlg, int32_t) { Mem(ADlg).Ended++; }

static bool MemAskError(HWND ADlg, const string &AText)
{
    Mem(ADlg).Errors.push_back(AText);
    if (Mem(ADlg).OnAsk) Mem(ADlg).OnAsk();
    return Mem(ADlg).AnswerYes;
}

const TUnZipDialog *MemDialog()
{
    static const TUnZipDialog Dialog = {
        MemGetList,     MemListReset, MemListAdd,      MemListText,    MemListFind,
        MemListGetSel,  MemListSetSel, MemListCount,   MemListSelCount, MemSetProgress,
        MemSetLabel,    MemDispatchOne, MemShowError,  MemAskOverwrite, MemEndProgram,
        MemAskError,
    };
    return &Dialog;
}

// The host has no dialog: the walk's platform binding is the one in memory.
const TUnZipDialog *UnZipPlatformDialog() { return MemDialog(); }
