// BytewiseRows: grid, bands and clipboard text of the result table.
#include "BytewiseRows.h"

const TGridLine GridLines[4] = {{L1, true}, {L2, false}, {L3, true}, {L4, false}};

int RowBands(int AStyle, int ARight, TBand (&ABands)[3])
{
    if (AStyle == dsFocus) {
        ABands[0] = {0, ARight, 4};
        return 1;
    }
    ABands[0] = {0, L1, 1};
    ABands[1] = {L1, L3, 2};
    ABands[2] = {L3, ARight, 3};
    return 3;
}

int DrawnRow(const char *ARow, int ALen, char (&AOut)[RowCellsMax])
{
    int PosEnd = 0;
    while (PosEnd < ALen && ARow[PosEnd] == ' ') PosEnd++;
    while (PosEnd < ALen && ARow[PosEnd] >= '0' && ARow[PosEnd] <= '9') PosEnd++;
    int N = 0;
    for (int I = PosEnd; I < PosCells && N < RowCellsMax; I++) AOut[N++] = ' ';
    for (int I = 0; I < ALen && N < RowCellsMax; I++) AOut[N++] = ARow[I];
    return N;
}

uint32_t RowTextColor(int AStyle)
{
    return AStyle == dsFocus ? Rgb(255, 255, 255) : Rgb(0, 0, 0);
}

void AppendClipRow(string &AText, const char *ARow, size_t ALen)
{
    if (ALen == 0) return;
    AText.append(ARow, ALen);
    AText.append("\r\n", 2);
}

string SettingsFileName(const string &AFolder)
{
    string R = AFolder;
    if (R.empty() || R[R.length() - 1] != '\\') R += '\\';
    return R + "Bytewise.INI";
}
