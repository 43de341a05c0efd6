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
    { "mkdata", MkdataCommand, MkdataUsage },
    { "sc0", Sc0Command, Sc0Usage },
    { "render", RenderCommand, RenderUsage },
    { "bench", BenchCommand, BenchUsage },
    { "soak", SoakCommand, SoakUsage },
};

bool IsHelp(const char* arg)
{
    return std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0;
}

// Every command's usage: on stdout when asked for, else on stderr as an argument error.
int Usage(FILE* to)
{
    std::fprintf(to, "usage: quarvel-tool COMMAND ...   (quarvel-tool COMMAND --help for one of them)\n");
    for (const Command& c : Commands)
        std::fprintf(to, "%s", c.usage);
    return to == stdout ? 0 : 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return Usage(stderr);
    if (IsHelp(argv[1]))
        return Usage(stdout);
    for (const Command& c : Commands) {
        if (std::strcmp(argv[1], c.name) != 0)
            continue;
        for (int i = 2; i < argc; ++i)
            if (IsHelp(argv[i])) {
                std::printf("%s", c.usage);
                return 0;
            }
        return c.run(argc - 2, argv + 2);
    }
    std::fprintf(stderr, "quarvel-tool: unknown command %s\n", argv[1]);
    return Usage(stderr);
}
