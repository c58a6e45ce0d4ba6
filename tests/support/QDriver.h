// The test bench's driver: works the real windows of a program from a test under Wine the
// way a person would (start it, wait for a dialog, read and fill items, press buttons,
// answer message boxes, keys and clicks through the system's input), and reads what it
// leaves behind (exit code, clipboard, pixels on the screen). Windows only.
#ifndef QDRIVER_H
#define QDRIVER_H

#include <windows.h>
#include <stdint.h>
#include <string>
#include <vector>

#include "QDrive.h"

// ---- Paths and files ------------------------------------------------------------------

std::string WinPath(const std::string &APath);          // "/a/b" -> "Z:\a\b"; others unchanged
bool IsFile(const std::string &AName);
bool IsFolder(const std::string &AName);
void MakeFolders(const std::string &AName);              // every level of a "C:\a\b" path
// Last-write time of a file as a DOS date/time (local time, 2-second steps); 0 on failure.
uint32_t FileDosTime(const std::string &AName);

// ---- Message boxes --------------------------------------------------------------------

bool HasStopIcon(HWND ABox);                            // the box shows the system's stop icon
// Lets the window's thread handle everything sent to it so far.
void Sync(HWND AWnd);

// ---- Input as a person gives it -------------------------------------------------------

void Key(WORD AVk);
// The pointer to client point (X, Y) of AWin; answers the screen point.
POINT MoveTo(HWND AWin, int X, int Y);
// A click there; false when the pointer did not arrive.
bool Click(HWND AWin, int X, int Y, bool ARight = false);
bool ClickControl(HWND ADlg, int AId);                  // the middle of a control

// ---- Clipboard ------------------------------------------------------------------------

std::string ClipboardText();                            // CF_TEXT as bytes
void PutClipboard(const std::string &AText);

// ---- Pictures -------------------------------------------------------------------------

// Pixels of colour ARgb (0xRRGGBB) inside the rectangle.
int CountColor(const TPicture &APicture, uint32_t ARgb, int X0, int Y0, int X1, int Y1);
// Where screenshots go (UNFURL_SHOTS in the environment), "" for none.
std::string ShotDir();

#endif
