// UnfurlRun: setting up a run record (see the header).
#include "UnfurlRun.h"

void RunInit(TUnZipRun &ARun, const TZipIO *AIO, const TUnZipFileOps *AFileOps,
             const TUnZipDialog *ADialog)
{
    ARun.IO = ARun.Entry.In = ARun.Entry.Out = AIO;
    ARun.FileOps = AFileOps;
    ARun.Dialog = ADialog;
}

void RunInitPlatform(TUnZipRun &ARun)
{
    RunInit(ARun, ZipFileIO(), UnZipDiskOps(), UnZipPlatformDialog());
}
