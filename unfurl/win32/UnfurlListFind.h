// UnfurlListFind: the work-list search, because the list box's own exact search walks the
// list item by item, and under Wine every item it looks at is a round trip: a run over
// thousands of entries spent most of its time there.
// FindListItem answers what LB_FINDSTRINGEXACT would (the first item after AStart equal to
// AName, case ignored in the user's locale, wrapping), mostly by looking at the next item or
// a few near it, else by a binary search of the sorted list; only where neither can tell
// does the list box search itself.
#ifndef UNFURLLISTFIND_H
#define UNFURLLISTFIND_H

#include <windows.h>
#include <stdint.h>

// The item equal to AName after AStart (-1 from the start), or -1 for none.
int32_t FindListItem(HWND AList, int32_t AStart, const WCHAR *AName);
// The text of item AIndex into AText (NameBufSize + 2 units); false for no such item or one
// too long to fetch.
bool ListItemText(HWND AList, int32_t AIndex, WCHAR *AText);

#endif
