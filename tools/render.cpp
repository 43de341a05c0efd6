// Placeholder until the render command lands; replaced by its real implementation.
#include <cstdio>

#include "commands.h"

int RenderCommand(int, char**)
{
    std::fprintf(stderr, "quarvel-tool render: not built yet\n");
    return 2;
}
