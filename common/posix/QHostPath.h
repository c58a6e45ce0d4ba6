// QHostPath: names as the programs write them (backslashes) in the form the host's file
// calls take. Host build only.
#ifndef QHOSTPATH_H
#define QHOSTPATH_H

#include "QStr.h"

// The host form of a path: every backslash becomes a slash.
string HostPath(const char *APath);

#endif
