// Running a command line from the tool tests: its exit status and its output.
#pragma once

#include <cstdio>
#include <string>
#include <sys/wait.h>

// Exit status of the shell command (-1 when it did not exit); standard output and error in *out.
inline int Shell(const std::string& command, std::string* out)
{
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    char chunk[4096];
    out->clear();
    for (size_t n; pipe && (n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;)
        out->append(chunk, n);
    const int status = pipe ? pclose(pipe) : -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
