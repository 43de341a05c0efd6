// Placeholder until the bench command lands; replaced by its real implementation.
#include <cstdio>

#include "commands.h"

int BenchCommand(int, char**)
{
    std::fprintf(stderr, "quarvel-tool bench: not built yet\n");
    return 2;
}
