// quarvel-tool: data set, picture converter, headless renderer and benchmark.
#include <cstdio>
#include <cstring>

#include "commands.h"

namespace {

struct Command {
    const char* name;
    int (*run)(int argc, char** argv);
    const char* usage;
};

const Command Commands[] = {
    { "mkdata", MkdataCommand, "mkdata DIR" },
    { "sc0", Sc0Command, "sc0 info|encode|decode ..." },
    { "render", RenderCommand,
        "render --dir DIR [--frames N] [--keys FILE] [--viewport WxH] "
        "[--view X,Y,HEIGHT,ANGLE] [--out FILE.png] [--raw FILE] [--trace]" },
    { "bench", BenchCommand, "bench [--dir DIR] [--viewport WxH] [--frames N]" },
    { "soak", SoakCommand, "soak --dir DIR [--frames N] [--seed S]" },
};

int Usage()
{
    std::fprintf(stderr, "usage: quarvel-tool COMMAND ...\n");
    for (const Command& c : Commands)
        std::fprintf(stderr, "  quarvel-tool %s\n", c.usage);
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return Usage();
    for (const Command& c : Commands)
        if (std::strcmp(argv[1], c.name) == 0)
            return c.run(argc - 2, argv + 2);
    return Usage();
}
