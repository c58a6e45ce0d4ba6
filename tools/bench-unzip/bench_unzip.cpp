// bench_unzip ARCHIVE FOLDER: installs a plain ZIP archive into FOLDER with the host build of
// the installer's walk (listing run, every item selected, extraction run), as
// tools/bench-unzip.sh times it. Exit code 0 when every entry was written.
#include <stdio.h>
#include <string.h>

#include "UnfurlMemDialog.h"
#include "UnfurlArchive.h"
#include "UnfurlUnZip.h"

int main(int argc, char **argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: bench_unzip ARCHIVE FOLDER\n");
        return 2;
    }
    BuildCrcTable();
    TMemDialog Dlg;
    TUnZipRun Run;
    RunInit(Run, ZipFileIO(), UnZipDiskOps(), MemDialog());
    OpenArchiveFile(Run, argv[1]);
    if (Run.ArchiveFile == -1) {
        fprintf(stderr, "bench_unzip: cannot open %s\n", argv[1]);
        return 2;
    }
    Run.ArchiveStart = 0;
    Run.OverwriteMode = omReplace;
    UnZipFiles(Run, MemDialogWnd(Dlg), 9500, true);
    MemSelectAll(Dlg);
    Run.TargetDir = argv[2];
    Run.ProgressStep = Dlg.Items.empty() ? 0 : 100.0 / Dlg.Items.size();
    UnZipFiles(Run, MemDialogWnd(Dlg), 9500, false);
    CloseArchive(Run);
    for (size_t I = 0; I < Dlg.Errors.size() && I < 5; I++)
        fprintf(stderr, "bench_unzip: %s\n", Dlg.Errors[I].c_str());
    printf("%zu entries, %d files, %zu messages\n", Dlg.Items.size(), Run.FilesDone, Dlg.Errors.size());
    return Run.AllExtracted ? 0 : 1;
}
