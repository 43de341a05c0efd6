// Placeholder until the mkdata command lands; replaced by its real implementation.
#include <cstdio>

#include "commands.h"

int MkdataCommand(int, char**)
{
    std::fprintf(stderr, "quarvel-tool mkdata: not built yet\n");
    return 2;
}
