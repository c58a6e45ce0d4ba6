// UnfurlListFind: the work-list search (see the header).
#include "UnfurlListFind.h"

#include "UnfurlUnZip.h"

// Names of printable ASCII characters alone are equal, case ignored, exactly when their
// bytes are equal but for the case of letters: the locale's comparison (many times slower)
// is needed only for other characters, and for the hyphen and the apostrophe, which word
// sorting weighs apart from the rest. 1 equal, 0 not, -1 the locale must decide.
static bool PlainChar(WCHAR C) { return C >= 0x20 && C <= 0x7E && C != '-' && C != '\''; }

static int PlainAsciiEqual(const WCHAR *A, const WCHAR *B)
{
    int Equal = 1;
    for (;; A++, B++) {
        WCHAR X = *A, Y = *B;
        if (X == 0 || Y == 0) {
            if (X != Y) Equal = 0;
            // the rest of the longer name must be plain, too
            for (const WCHAR *R = X ? A : B; *R; R++)
                if (!PlainChar(*R)) return -1;
            return Equal;
        }
        if (!PlainChar(X) || !PlainChar(Y)) return -1;
        if (X >= 'A' && X <= 'Z') X += 'a' - 'A';
        if (Y >= 'A' && Y <= 'Z') Y += 'a' - 'A';
        if (X != Y) Equal = 0;
    }
}

bool ListItemText(HWND AList, int32_t AIndex, WCHAR *AText)
{
    LRESULT Len = SendMessageW(AList, LB_GETTEXTLEN, (WPARAM)AIndex, 0);
    if (Len == LB_ERR || Len < 0 || Len >= NameBufSize + 2) return false;
    SendMessageW(AList, LB_GETTEXT, (WPARAM)AIndex, (LPARAM)AText);
    return true;
}

// Whether item AIndex equals AName as LB_FINDSTRINGEXACT compares (case ignored, the user's
// locale); 0 no, 1 yes, -1 no such item or too long to fetch.
static int ListItemIs(HWND AList, int32_t AIndex, const WCHAR *AName)
{
    WCHAR Text[NameBufSize + 2];
    if (!ListItemText(AList, AIndex, Text)) return -1;
    int Plain = PlainAsciiEqual(Text, AName);
    if (Plain >= 0) return Plain;
    return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, Text, -1, AName, -1) ==
           CSTR_EQUAL;
}

// Item AIndex against AName in the list's sorting (case ignored, the user's locale): negative,
// 0 or positive; ListUnknown when the item cannot be fetched or compared.
enum { ListUnknown = 2 };

static int ListItemOrder(HWND AList, int32_t AIndex, const WCHAR *AName)
{
    WCHAR Text[NameBufSize + 2];
    if (!ListItemText(AList, AIndex, Text)) return ListUnknown;
    int R = CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, Text, -1, AName, -1);
    return R == 0 ? ListUnknown : R - CSTR_EQUAL;
}

// LB_FINDSTRINGEXACT from AStart: the first equal item after AStart, wrapping. In the archive's
// order that is nearly always the next item; but where the archive's order and the list's
// sorting differ (say "a_b" and "a.b"), neighbours come swapped or whole runs of names stand
// elsewhere, and the list box's own search would run through the list item by item. The
// list is sorted, so equal items stand together: a match found near AStart, taken back to
// the first of its run, is the item the search would find; farther away a binary search
// finds the run. Only where that cannot tell does the list box search itself.
enum { ListNear = 8 };

// The binary search: the first item equal to AName after AStart, wrapping; -1 when it
// cannot tell.
static int32_t ListFindSorted(HWND AList, int32_t ACount, int32_t AStart, const WCHAR *AName)
{
    int32_t Lo = 0, Hi = ACount;   // Lo ends on the first item not before AName
    while (Lo < Hi) {
        int32_t Mid = Lo + (Hi - Lo) / 2;
        int Order = ListItemOrder(AList, Mid, AName);
        if (Order == ListUnknown) return -1;
        if (Order < 0)
            Lo = Mid + 1;
        else
            Hi = Mid;
    }
    if (Lo >= ACount || ListItemIs(AList, Lo, AName) != 1) return -1;
    if (AStart < Lo) return Lo;
    // AStart within or behind the run: its next item if that is equal, else round to the run.
    if (AStart + 1 < ACount && ListItemIs(AList, AStart + 1, AName) == 1) return AStart + 1;
    return Lo;
}

int32_t FindListItem(HWND AList, int32_t AStart, const WCHAR *AName)
{
    int32_t Count = (int32_t)SendMessageA(AList, LB_GETCOUNT, 0, 0);
    bool Known = true;   // every item compared could be fetched
    if (AStart >= 0 && AStart < Count && AName[0]) {
        int Next = ListItemIs(AList, AStart + 1 < Count ? AStart + 1 : 0, AName);
        if (Next == 1) return AStart + 1 < Count ? AStart + 1 : 0;
        for (int32_t D = 0; Next == 0 && D <= ListNear; D++) {
            // AStart, AStart - 1, ... and AStart + 2, AStart + 3, ...
            for (int Side = 0; Side < 2; Side++) {
                int32_t J = Side == 0 ? AStart - D : AStart + 2 + D;
                if (J < 0 || J >= Count) continue;
                int Is = ListItemIs(AList, J, AName);
                if (Is < 0) Next = -1;   // cannot tell: the list box searches
                if (Is != 1) continue;
                while (J > 0 && ListItemIs(AList, J - 1, AName) == 1) J--;
                return J;
            }
        }
        Known = Next == 0;
    }
    if (Known && AStart >= -1 && AStart < Count && AName[0]) {
        int32_t J = ListFindSorted(AList, Count, AStart, AName);
        if (J >= 0) return J;
    }
    LRESULT I = SendMessageW(AList, LB_FINDSTRINGEXACT, (WPARAM)AStart, (LPARAM)AName);
    return I == LB_ERR ? -1 : (int32_t)I;
}

