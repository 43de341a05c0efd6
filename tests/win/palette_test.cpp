// The program palette from sc\nosystem.pal, and the start-up chain's first step for real.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "base/alloc.h"
#include "win32/app/win32_program.h"
#include "win32/display/win32_display.h"

namespace {

// Runs each test in a fresh directory of its own, as the program's current directory.
class InDirectory : public ::testing::Test {
protected:
    void SetUp() override
    {
        GetCurrentDirectoryA(MAX_PATH, previous);
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        dir = std::string(temp) + "quarvel-test-" + std::to_string(GetCurrentProcessId()) + "-"
            + ::testing::UnitTest::GetInstance()->current_test_info()->name();
        CreateDirectoryA(dir.c_str(), nullptr);
        CreateDirectoryA((dir + "\\sc").c_str(), nullptr);
        SetCurrentDirectoryA(dir.c_str());
    }
    void TearDown() override
    {
        DeleteFileA("sc\\nosystem.pal");
        RemoveDirectoryA("sc");
        SetCurrentDirectoryA(previous);
        RemoveDirectoryA(dir.c_str());
    }
    static void WritePalette(size_t bytes)
    {
        FILE* f = std::fopen("sc\\nosystem.pal", "wb");
        ASSERT_NE(f, nullptr);
        for (size_t i = 0; i < bytes; ++i)
            std::fputc(int((i * 7 + 3) & 255), f);
        std::fclose(f);
    }
    char previous[MAX_PATH];
    std::string dir;
};

TEST_F(InDirectory, PaletteEntriesComeFromTheFileAndTheSystem)
{
    WritePalette(768);
    ASSERT_EQ(InitPalette(), 0);
    EXPECT_EQ(ProgramPalette.version, 0x300);
    EXPECT_EQ(ProgramPalette.count, 256);
    for (int i = 10; i <= 245; ++i) {
        const PALETTEENTRY& e = ProgramPalette.entries[i];
        ASSERT_EQ(e.peRed, (3 * i * 7 + 3) & 255) << i;
        ASSERT_EQ(e.peGreen, ((3 * i + 1) * 7 + 3) & 255) << i;
        ASSERT_EQ(e.peBlue, ((3 * i + 2) * 7 + 3) & 255) << i;
        ASSERT_EQ(e.peFlags, PC_RESERVED) << i;
    }
    // The static colours are the system's: black first and white last, whatever the file says.
    EXPECT_EQ(ProgramPalette.entries[0].peRed, 0);
    EXPECT_EQ(ProgramPalette.entries[0].peBlue, 0);
    EXPECT_EQ(ProgramPalette.entries[255].peRed, 255);
    EXPECT_EQ(ProgramPalette.entries[255].peGreen, 255);
    EXPECT_EQ(ProgramPalette.entries[255].peBlue, 255);
    PALETTEENTRY gdi[256];
    ASSERT_EQ(GetPaletteEntries(ProgramPaletteHandle, 0, 256, gdi), 256u);
    EXPECT_EQ(gdi[100].peRed, ProgramPalette.entries[100].peRed);
    EXPECT_EQ(FreePalette(), 0);
    EXPECT_EQ(FreePalette(), -1);
}

TEST_F(InDirectory, AShortPaletteFileLeavesTheMissingColoursBlack)
{
    WritePalette(3 * 100 + 1); // entry 100 has only its red byte
    ASSERT_EQ(InitPalette(), 0);
    EXPECT_EQ(ProgramPalette.entries[99].peBlue, ((3 * 99 + 2) * 7 + 3) & 255);
    EXPECT_EQ(ProgramPalette.entries[100].peRed, (300 * 7 + 3) & 255);
    EXPECT_EQ(ProgramPalette.entries[100].peGreen, 0);
    EXPECT_EQ(ProgramPalette.entries[245].peRed, 0);
    FreePalette();
}

TEST_F(InDirectory, WithoutThePaletteTheProgramEndsWithMinusFiveAndNoWindow)
{
    ASSERT_EQ(InitPalette(), -1);
    EXPECT_EQ(PaletteStatus, -1);
    const uint32_t allocs = AllocCount;
    EXPECT_EQ(InitProgram(GetModuleHandleA(nullptr)), -5);
    EXPECT_EQ(FindWindowA("quarvel", nullptr), nullptr);
    EXPECT_EQ(AllocCount, allocs);
    EXPECT_EQ(FreeProgram(), 0);
}

TEST_F(InDirectory, TheWholeChainStartsAndStopsWithBalancedMemory)
{
    WritePalette(768);
    const uint32_t allocs = AllocCount, releases = ReleaseCount;
    ASSERT_EQ(InitProgram(GetModuleHandleA(nullptr)), 0);
    EXPECT_NE(FindWindowA("quarvel", "quarvel"), nullptr);
    EXPECT_NE(MemoryDC, nullptr);
    EXPECT_GT(AllocCount, allocs); // at least the configuration path
    EXPECT_EQ(FreeProgram(), 0);
    EXPECT_EQ(FindWindowA("quarvel", nullptr), nullptr);
    EXPECT_EQ(AllocCount - allocs, ReleaseCount - releases);
    EXPECT_EQ(PaletteStatus, -1);
    EXPECT_EQ(MemoryDCStatus, -1);
}

} // namespace
