#include "fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sanitizer/asan_interface.h>

#include "app/frame_runner.h"
#include "base/alloc.h"
#include "commands.h"
#include "world/viewpoint.h"

static uint32_t OpenAllocs = 0, OpenReleases = 0;

// Unless ok, ends the run as a finding.
static void Require(bool ok, const std::string& what)
{
    if (!ok)
        std::fprintf(stderr, "FINDING: %s\n", what.c_str()), std::abort();
}

const std::string& FuzzDataFolder()
{
    static std::string folder;
    if (folder.empty()) {
        char name[] = "/tmp/quarvel-fuzz-XXXXXX", *argv[] = { name };
        Require(mkdtemp(name) && MkdataCommand(1, argv) == 0, "cannot make the data folder");
        folder = name;
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(FuzzDataFolder(), ignored);
        });
    }
    return folder;
}

// Every key read scans the whole file, and speed is coverage here.
const std::string& DefaultIni()
{
    static std::string text;
    if (text.empty()) {
        std::ifstream in(FuzzDataFolder() + "/fc.ini", std::ios::binary);
        for (std::string line; std::getline(in, line);)
            text += line.empty() || line[0] == ';' ? "" : line + "\n";
    }
    return text;
}

void WriteDataFile(const std::string& name, const void* bytes, size_t size)
{
    std::ofstream out(FuzzDataFolder() + "/" + name, std::ios::binary | std::ios::trunc);
    Require(bool(out.write(static_cast<const char*>(bytes), std::streamsize(size))), "cannot write " + name);
}

void OpenFuzzData()
{
    ForwardAxis = TurnAxis = MotionAxis {};
    std::string error;
    Require(OpenDataFolder(FuzzDataFolder(), &error), error);
    OpenAllocs = AllocCount, OpenReleases = ReleaseCount;
}

void FuzzFrame(bool full)
{
    uint8_t *const before = FrameBuffer() - FrameGuardBytes, *after = FrameBuffer() + FrameBytes();
    ASAN_POISON_MEMORY_REGION(before, FrameGuardBytes), ASAN_POISON_MEMORY_REGION(after, FrameGuardBytes);
    StepAndDrawFrame(BufferPresenter);
    ASAN_UNPOISON_MEMORY_REGION(before, FrameGuardBytes), ASAN_UNPOISON_MEMORY_REGION(after, FrameGuardBytes);
    const std::string fault = FrameInvariantFault(OpenAllocs, OpenReleases, full);
    Require(fault.empty(), fault);
}

void CloseFuzzData()
{
    std::string error;
    Require(CloseDataFolder(&error), error);
}

uint32_t InputReader::Take(int bytes)
{
    uint32_t value = 0;
    for (int i = 0; i < bytes; ++i, ++at)
        value |= uint32_t(at < size ? data[at] : 0) << (8 * i);
    return value;
}
