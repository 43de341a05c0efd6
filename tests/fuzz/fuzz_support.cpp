// What the fuzz targets share: a private copy of the data set, frames drawn between guard
// bytes the address sanitizer watches, and the checks that end a run as a finding.
#include "fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sanitizer/asan_interface.h>

#include "app/frame.h"
#include "base/alloc.h"
#include "commands.h"
#include "frame_runner.h"
#include "world/viewpoint.h"

namespace {

uint32_t OpenAllocs = 0, OpenReleases = 0;

[[noreturn]] void Finding(const std::string& what)
{
    std::fprintf(stderr, "FINDING: %s\n", what.c_str());
    std::abort();
}

void PoisonGuards(bool poison)
{
    uint8_t* before = FrameBuffer() - FrameGuardBytes;
    uint8_t* after = FrameBuffer() + FrameBytes();
    if (poison) {
        ASAN_POISON_MEMORY_REGION(before, FrameGuardBytes);
        ASAN_POISON_MEMORY_REGION(after, FrameGuardBytes);
    } else {
        ASAN_UNPOISON_MEMORY_REGION(before, FrameGuardBytes);
        ASAN_UNPOISON_MEMORY_REGION(after, FrameGuardBytes);
    }
}

void RemoveFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(FuzzDataFolder(), ignored);
}

} // namespace

const std::string& FuzzDataFolder()
{
    static std::string folder;
    if (folder.empty()) {
        char name[] = "/tmp/quarvel-fuzz-XXXXXX";
        if (!mkdtemp(name))
            Finding("cannot make a data folder");
        folder = name;
        char* argv[] = { name };
        if (MkdataCommand(1, argv) != 0)
            Finding("mkdata failed");
        std::atexit(RemoveFolder);
    }
    return folder;
}

const std::string& DefaultIni()
{
    static std::string text;
    // Without its comments: every key read scans the whole file, and speed is coverage here.
    if (text.empty()) {
        std::ifstream in(FuzzDataFolder() + "/fc.ini", std::ios::binary);
        for (std::string line; std::getline(in, line);)
            if (!line.empty() && line[0] != ';')
                text += line + "\n";
    }
    return text;
}

void WriteDataFile(const std::string& name, const void* bytes, size_t size)
{
    std::ofstream out(FuzzDataFolder() + "/" + name, std::ios::binary | std::ios::trunc);
    out.write(static_cast<const char*>(bytes), std::streamsize(size));
    if (!out)
        Finding("cannot write " + name);
}

void OpenFuzzData()
{
    ForwardAxis = {};
    TurnAxis = {};
    std::string error;
    if (!OpenDataFolder(FuzzDataFolder(), &error))
        Finding(error);
    OpenAllocs = AllocCount;
    OpenReleases = ReleaseCount;
}

void FuzzFrame(bool full)
{
    PoisonGuards(true);
    StepAndDrawFrame(BufferPresenter);
    PoisonGuards(false);
    const std::string fault = FrameInvariantFault(OpenAllocs, OpenReleases, full);
    if (!fault.empty())
        Finding(fault);
}

void CloseFuzzData()
{
    std::string error;
    if (!CloseDataFolder(&error))
        Finding(error);
}

uint32_t InputReader::Take(int bytes)
{
    uint32_t value = 0;
    for (int i = 0; i < bytes; ++i, ++at)
        value |= uint32_t(at < size ? data[at] : 0) << (8 * i);
    return value;
}
