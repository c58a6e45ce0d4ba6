// UnfurlMemDialog: the installer dialog as the archive walk sees it, held in memory. The
// host build's runs use it as their dialog seam (tests, fuzzing, benchmarks): a work list that sorts and
// finds its items as the dialog's list box does, the progress position, the label, the error
// messages shown, and queued answers for the overwrite prompt.
#ifndef UNFURLMEMDIALOG_H
#define UNFURLMEMDIALOG_H

#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "QStr.h"
#include "QTypes.h"

// Answers for the overwrite prompt: the button and the "Rewrite all files" check box.
enum TMemAnswer { maOk = 1, maCancel = 2, maOkAll = 11, maCancelAll = 12 };

struct TMemDialog {
    std::vector<string> Items;        // sorted, case ignored
    std::vector<bool> Selected;
    int32_t Progress = 0;
    std::vector<int32_t> Positions;   // every position set, in order
    string Label = "Install";
    std::vector<string> Labels;       // every label text set, in order
    std::vector<string> Errors;       // every message box text
    std::vector<string> Asked;        // FileExistName of every prompt
    std::vector<int> Answers;         // queued prompt answers (TMemAnswer); Cancel when empty
    bool AnswerYes = false;           // the answer to Yes/No error boxes (they go to Errors)
    std::function<void()> OnAsk;      // called when such a box comes up
    int32_t Dispatched = 0;           // DispatchOne calls
    int32_t Ended = 0;                // EndProgram calls
    // Where each name (upper case) stands in Items, built when a search needs it, so that a
    // run over thousands of unsorted entries does not scan the list for each.
    std::unordered_map<std::string, std::vector<int32_t>> Index;
    bool IndexValid = false;
};

// The dialog window handle of AMem for UnZipFiles (the list id is not used): messages,
// dispatched messages and the end of the program are counted there too.
inline HWND MemDialogWnd(TMemDialog &AMem) { return (HWND)(void *)&AMem; }
// Selects every item, as the installer dialog does after the listing run.
void MemSelectAll(TMemDialog &AMem);

// The dialog seam bound to the TMemDialog whose MemDialogWnd the run is given.
const struct TUnZipDialog *MemDialog();

#endif
