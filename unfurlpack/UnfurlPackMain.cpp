// unfurlpack: makes a self-extracting Unfurl installer from the installer executable, a ZIP
// archive and the two setup texts (see UnfurlPack.h; --help lists the exit codes).
#include "UnfurlPack.h"

int main(int argc, char **argv) { return PackMain(argc, argv); }
