// Placeholder until the sc0 command lands; replaced by its real implementation.
#include <cstdio>

#include "commands.h"

int Sc0Command(int, char**)
{
    std::fprintf(stderr, "quarvel-tool sc0: not built yet\n");
    return 2;
}
