// QHostPath: the host form of the programs' paths.
#include "QHostPath.h"

string HostPath(const char *APath)
{
    string R(APath);
    for (size_t I = 0; I < R.length(); I++)
        if (R[I] == '\\') R[I] = '/';
    return R;
}
