// BytewiseRows: what the result table's drawing and copying need apart from the window
// system: the column grid, the colour bands of each drawing style, and the clipboard text.
#ifndef BYTEWISEROWS_H
#define BYTEWISEROWS_H

#include <stdint.h>
#include "QStr.h"

// A row is drawn with its position right-aligned in PosCells characters, so that positions
// up to 13 digits (files of terabytes) stand in their column; the other fields are as the
// row's text (and the clipboard) has them.
const int PosCells = 13;
const int CellWidth = 8;       // pixels per character of a drawn row
// Column boundaries in pixels from the row's left edge; with an 8-pixel-wide row font they
// fall into the blanks between position | byte 1 | byte 2 | character 1 | character 2.
const int L1 = 108, L2 = 139, L3 = 173, L4 = 208;
const int RowCellsMax = 64;    // characters drawn of one row (drawn rows have 29 to 32)
const int RowWidthMin = 29 * CellWidth;    // pixels a drawn row with all fields needs

// The row as drawn: its position field (leading blanks and digits) widened with blanks on
// the left to PosCells characters (a longer one is kept whole); at most RowCellsMax
// characters. Answers the length.
int DrawnRow(const char *ARow, int ALen, char (&AOut)[RowCellsMax]);

// Colours, 0x00BBGGRR.
inline uint32_t Rgb(int R, int G, int B) { return (uint32_t)R | ((uint32_t)G << 8) | ((uint32_t)B << 16); }
const uint32_t ClrBand1 = 0x00E6FAFA;      // RGB(250,250,230): behind the position
const uint32_t ClrBand2 = 0x00FAFAE6;      // RGB(230,250,250): behind the two bytes
const uint32_t ClrBand3 = 0x00FAE6FA;      // RGB(250,230,250): behind the two characters
const uint32_t ClrHighlight = 0x00FF6C6C;  // RGB(108,108,255): the whole highlighted row
const uint32_t ClrThinLine = 0x00BCBCBC;   // RGB(188,188,188), 1 pixel
const uint32_t ClrThickLine = 0x00808080;  // RGB(128,128,128), 3 pixels

// Drawing styles of a row.
enum { dsWhole = 1, dsSelect = 2, dsFocus = 3 };

// One filled band: x from Left to Right, brush 1..4 (WB1..WB4).
struct TBand { int Left, Right, Brush; };
// One vertical grid line at X, thick (WP2) or thin (WP1).
struct TGridLine { int X; bool Thick; };

// The bands behind a row of the given style whose right edge is ARight; answers the count.
int RowBands(int AStyle, int ARight, TBand (&ABands)[3]);
// The vertical lines over every row, in drawing order.
extern const TGridLine GridLines[4];
// Text colour of a style: black, or white on the highlight.
uint32_t RowTextColor(int AStyle);

// Appends one row and CR LF to the clipboard text; empty rows are left out.
void AppendClipRow(string &AText, const char *ARow, size_t ALen);

// Path of the settings file in AFolder (the program's folder): AFolder + "\" + name,
// without doubling a backslash that AFolder already ends with (a drive root).
string SettingsFileName(const string &AFolder);

#endif
