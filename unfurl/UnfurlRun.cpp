// UnfurlRun: setting up a run record (see the header).
#include "UnfurlRun.h"

void RunInit(TUnZipRun &ARun, const TZipIO *AIO, const TUnZipFileOps *AFileOps,
             const TUnZipDialog *ADialog)
{
    ARun.IO = AIO;
    ARun.FileOps = AFileOps;
    ARun.Dialog = ADialog;
    ARun.ArchiveFile = -1;
    ARun.ArchiveStart = 0;
    ARun.ArchivePos = 0;
    ARun.LocalHeader = TLocalHeader();
    ARun.TargetDir = string();
    ARun.OverwriteMode = omAsk;
    ARun.OverwriteThis = false;
    ARun.FileExistName = string();
    ARun.Silent = false;
    ARun.StopAsked = false;
    ARun.ProgressStep = 0;
    ARun.FilesDone = 0;
    ARun.ListIndex = -1;
    ARun.AllExtracted = false;
    ARun.Ran = false;
    ARun.RunEnd = reNone;
    TInflateRun Entry = {AIO, -1, AIO, -1, 0, -1, 0xFFFFFFFFu};
    ARun.Entry = Entry;
    ARun.Undo = TUndo();
    ARun.Undo.File = -1;
}

void RunInitPlatform(TUnZipRun &ARun)
{
    RunInit(ARun, ZipFileIO(), UnZipDiskOps(), UnZipPlatformDialog());
}
