// bench_unzip ARCHIVE FOLDER: installs a plain ZIP archive into FOLDER with the host build of
// the installer's walk (listing run, every item selected, extraction run), as
// tools/bench-unzip.sh times it. Exit code 0 when every entry was written.
#include <stdio.h>
#include <string.h>

#include "UnfurlMemDialog.h"
#include "UnfurlUnZip.h"

int main(int argc, char **argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: bench_unzip ARCHIVE FOLDER\n");
        return 2;
    }
    BuildCrcTable();
    TMemDialog Dlg;
    MemUse(Dlg);
    OpenArchiveFile(argv[1]);
    if (ArchiveFile == -1) {
        fprintf(stderr, "bench_unzip: cannot open %s\n", argv[1]);
        return 2;
    }
    ArchiveStart = 0;
    OverwriteMode = 0;
    UnZipFiles(MemDialogWnd(Dlg), 9500, true);
    MemSelectAll(Dlg);
    static char Target[MAX_PATH + 1];
    strncpy(Target, argv[2], MAX_PATH);
    TargetDir = Target;
    ProgressStep = Dlg.Items.empty() ? 0 : 100.0 / Dlg.Items.size();
    UnZipFiles(MemDialogWnd(Dlg), 9500, false);
    CloseArchive();
    for (size_t I = 0; I < Dlg.Errors.size() && I < 5; I++)
        fprintf(stderr, "bench_unzip: %s\n", Dlg.Errors[I].c_str());
    printf("%zu entries, %d files, %zu messages\n", Dlg.Items.size(), FilesDone, Dlg.Errors.size());
    return AllExtracted ? 0 : 1;
}
