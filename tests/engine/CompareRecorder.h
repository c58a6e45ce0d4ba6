// Test helper for the comparison engine: records rows, prompts and error reports, answers
// the continue question, and counts the file layer's reads, opens and closes of a run.
#ifndef COMPARERECORDER_H
#define COMPARERECORDER_H

#include <stdint.h>

#include <string>
#include <vector>

#include "BytewiseCompare.h"
#include "QFile.h"

struct TCompareRecorder {
    std::vector<std::string> Rows;
    std::vector<int64_t> Prompts;
    std::vector<size_t> RowsAtPrompt;   // rows already in the table when each prompt came
    std::vector<int> Errors;
    std::vector<std::string> ErrorNames;   // the file named with each error
    TCompareResult Result;
    int StopAtPrompt = 0;               // answer stop at this prompt (1 = the first); 0 never
    std::vector<int64_t> Progress;      // positions compared at each progress call
    int64_t ProgressTotal = -1;         // the total handed with them
    int StopAtProgress = 0;             // answer stop at this progress call; 0 never
    void (*OnRow)(TCompareRecorder &) = 0;
    uint32_t Reads = 0, Opened = 0, Closes = 0;
    bool Ran = false;

    static void AddRow(void *C, const string &ARow)
    {
        TCompareRecorder &R = *(TCompareRecorder *)C;
        R.Rows.push_back(std::string(ARow.c_str(), ARow.length()));
        if (R.OnRow) R.OnRow(R);
    }
    static bool GoOn(void *C, int64_t ACount)
    {
        TCompareRecorder &R = *(TCompareRecorder *)C;
        R.Prompts.push_back(ACount);
        R.RowsAtPrompt.push_back(R.Rows.size());
        return (int)R.Prompts.size() != R.StopAtPrompt;
    }
    static void ReportError(void *C, int ACode, const string &AName)
    {
        TCompareRecorder &R = *(TCompareRecorder *)C;
        R.Errors.push_back(ACode);
        R.ErrorNames.push_back(std::string(AName.c_str(), AName.length()));
    }

    static bool OnProgress(void *C, int64_t ACompared, int64_t ATotal)
    {
        TCompareRecorder &R = *(TCompareRecorder *)C;
        R.Progress.push_back(ACompared);
        R.ProgressTotal = ATotal;
        return (int)R.Progress.size() != R.StopAtProgress;
    }

    // One run of the engine; the counters hold what this run did in the file layer.
    bool Run(const std::string &AFirst, const std::string &ASecond)
    {
        TFileStats Before = FileStats();
        TCompareHooks Hooks = {this, AddRow, GoOn, ReportError, OnProgress};
        Ran = CompareFiles(AFirst.c_str(), ASecond.c_str(), Hooks, Result);
        Reads = FileStats().Ops[foRead] - Before.Ops[foRead];
        Opened = FileStats().Opened - Before.Opened;
        Closes = FileStats().Ops[foClose] - Before.Ops[foClose];
        return Ran;
    }
};

#endif
