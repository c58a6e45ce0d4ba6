// QTypes: the few platform types the portable headers name, without <windows.h>.
#ifndef QTYPES_H
#define QTYPES_H

#include <stdint.h>

// Same declaration as <windows.h> (STRICT), so both may be included in any order.
struct HWND__;
typedef struct HWND__ *HWND;

#ifndef MAX_PATH
#define MAX_PATH 260
#endif

#endif
