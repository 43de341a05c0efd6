// DirectDraw error texts, the display-mode catalogue, and a full-screen round trip on Wine's DirectDraw.
#include <cstring>

#include "base/alloc.h"
#include "win32/app/win32_frame.h"

#include "win32_display_fakes.h"

namespace {

TEST(DDErrorText, KnownCodesUnknownCodesAndTheSharedBuffer)
{
    EXPECT_STREQ(DDErrorText(0), "No error");
    EXPECT_STREQ(DDErrorText(0x887601C2),
        "Access to this surface is being refused because the surface memory is gone. The DirectDrawSurface "
        "object representing this surface should have Restore called on it.");
    EXPECT_STREQ(DDErrorText(0x88760230), "Rectangle provided"); // the table's last row
    EXPECT_EQ(DDErrorText(0x8007000E), DDErrorText(0x8876017C)); // rows 68 and 69: one text
    EXPECT_STREQ(DDErrorText(0x8876017C), "DirectDraw does not have enough memory to perform the operation.");
    const char* unknown = DDErrorText(1);
    EXPECT_STREQ(unknown, "unknown error: 00000001");
    DDErrorText(DDERR_SURFACELOST); // a known code leaves the buffer alone
    EXPECT_STREQ(unknown, "unknown error: 00000001");
    EXPECT_EQ(DDErrorText(0x8876ABCD), unknown);
    EXPECT_STREQ(unknown, "unknown error: 8876ABCD");
}

const char ModeFile[] = "zqx_TEMP.XQZ";

bool Exists(const char* path)
{
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

IDirectDraw* Created = nullptr;
HRESULT WINAPI CreateFake(GUID* driver, IDirectDraw** object, IUnknown* outer)
{
    *object = Created;
    return driver || outer ? DDERR_INVALIDPARAMS : Answer("DirectDrawCreate");
}

class Catalogue : public DisplayTest {
protected:
    void SetUp() override
    {
        DisplayTest::SetUp();
        InFreshDirectory();
        DirectDrawCreateFunction = CreateFake;
        Created = &dd;
    }
    void TearDown() override
    {
        FreeModeCatalogue();
        DeleteFileA(ModeFile);
        DisplayTest::TearDown();
    }
};

// A file left under the temporary name is overwritten, and gone afterwards.
TEST_F(Catalogue, KeepsEveryModeAndDepthInTheDriversOrderAndFreesOnce)
{
    HANDLE old = CreateFileA(ModeFile, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    const std::string junk(1000, '\xAB');
    DWORD written;
    ASSERT_TRUE(WriteFile(old, junk.data(), DWORD(junk.size()), &written, nullptr));
    CloseHandle(old);
    dd.modes = { Mode(320, 200, 8, 1), Mode(320, 200, 16, 2), Mode(320, 200, 32, 3), Mode(640, 480, 8, 4),
        Mode(640, 480, 8, 5), Mode(1024, 768, 16, 6) };
    const uint32_t allocs = AllocCount, releases = ReleaseCount;
    ASSERT_EQ(InitModeCatalogue(), 0);
    ASSERT_EQ(ModeCount, 6);
    for (size_t i = 0; i < dd.modes.size(); ++i)
        EXPECT_EQ(std::memcmp(&ModeCatalogue[i], &dd.modes[i], sizeof(DDSURFACEDESC)), 0) << i;
    EXPECT_FALSE(Exists(ModeFile));
    EXPECT_EQ(FreeModeCatalogue(), 0);
    EXPECT_EQ(FreeModeCatalogue(), -1);
    EXPECT_EQ(Log, (Calls { "DirectDrawCreate", "dd.EnumDisplayModes", "dd.Release" }));
    EXPECT_EQ(AllocCount - allocs, 1u);
    EXPECT_EQ(ReleaseCount - releases, 1u);
    EXPECT_TRUE(Boxes.empty());
}

TEST_F(Catalogue, EachFailureShowsItsTextUndoesWhatWasMadeAndReturnsItsCode)
{
    const struct {
        Script script;
        bool blockFile;
        int modes, result;
        Calls log, boxes;
    } cases[] = {
        { { { "DirectDrawCreate", { DDERR_NODIRECTDRAWHW } } }, false, 2, -1, { "DirectDrawCreate" },
            { std::string("DirectDraw Error: ") + DDErrorText(DDERR_NODIRECTDRAWHW) } },
        { {}, true, 2, -1, { "DirectDrawCreate", "dd.Release" },
            { "initialization error: can't open temporary file" } },
        { { { "dd.EnumDisplayModes", { DDERR_GENERIC } } }, false, 2, -2,
            { "DirectDrawCreate", "dd.EnumDisplayModes", "dd.Release" },
            { "DirectDraw Error: Generic failure." } },
        { {}, false, 0, -3, { "DirectDrawCreate", "dd.EnumDisplayModes", "dd.Release" },
            { "initialization error: can't allocate memory" } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.result);
        Answers = c.script;
        Log.clear(), Boxes.clear();
        dd.modes.assign(size_t(c.modes), Mode(640, 480, 8, 1));
        // A directory under the file's name: Wine ignores read-only directories, and root writes anyway.
        ASSERT_TRUE(!c.blockFile || CreateDirectoryA(ModeFile, nullptr));
        const uint32_t allocs = AllocCount;
        EXPECT_EQ(InitModeCatalogue(), c.result);
        EXPECT_EQ(Log, c.log);
        EXPECT_EQ(Boxes, c.boxes);
        EXPECT_EQ(AllocCount, allocs);
        EXPECT_EQ(DirectDrawObject, nullptr);
        EXPECT_EQ(ModeCatalogue, nullptr);
        EXPECT_EQ(FreeModeCatalogue(), -1); // nothing set up, nothing released
        EXPECT_EQ(Log, c.log);
        RemoveDirectoryA(ModeFile);
        EXPECT_FALSE(Exists(ModeFile));
    }
}

// Wine's own DirectDraw on its 1024 x 768 virtual desktop.
class WineDisplay : public Catalogue {
protected:
    void SetUp() override
    {
        Catalogue::SetUp();
        DirectDrawCreateFunction = DirectDrawCreate;
        allocs = AllocCount, releases = ReleaseCount;
        ASSERT_EQ(InitViewWindow(GetModuleHandleA(nullptr)), 0);
        ASSERT_EQ(InitModeCatalogue(), 0) << (Boxes.empty() ? "" : Boxes[0]);
    }
    void TearDown() override
    {
        CloseFullScreen();
        Catalogue::TearDown();
        FreeViewWindow();
        EXPECT_EQ(AllocCount - allocs, ReleaseCount - releases);
    }
    uint32_t allocs, releases;
};

TEST_F(WineDisplay, TheCatalogueListsTheDesktopsModesAtEveryDepth)
{
    EXPECT_FALSE(Exists(ModeFile));
    for (const DWORD size : { 320200u, 640480u, 800600u, 1024768u })
        for (const DWORD depth : { 8u, 16u, 32u }) {
            bool listed = false;
            for (int i = 0; i < ModeCount; ++i)
                listed |= ModeCatalogue[i].dwWidth * 1000 + ModeCatalogue[i].dwHeight == size
                    && ModeCatalogue[i].ddpfPixelFormat.dwRGBBitCount == depth;
            EXPECT_TRUE(listed) << size << " x " << depth;
        }
    for (int i = 0; i < ModeCount; ++i)
        EXPECT_EQ(ModeCatalogue[i].dwSize, sizeof(DDSURFACEDESC)) << i;
}

TEST_F(WineDisplay, SetsUp640x480x8DrawsAFrameThroughTheLockAndGivesTheDesktopBack)
{
    const int desktopWidth = GetSystemMetrics(SM_CXSCREEN), desktopHeight = GetSystemMetrics(SM_CYSCREEN);
    for (int i = 0; i < 256; ++i) // a grey ramp with the system's colours at the ends
        ProgramPalette.entries[i]
            = { BYTE(i), BYTE(i), BYTE(i), BYTE(i >= 10 && i <= 245 ? PC_RESERVED : 0) };
    UseBackdrop(240, 77); // as tall as the viewport: every viewport pixel shows colour 77
    ShowWindow(ViewWindow, SW_SHOW);
    ASSERT_EQ(InitFullScreen(), 0) << (Boxes.empty() ? "" : Boxes[0]);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 640);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 480);
    ASSERT_EQ(RenderFrame(), 0);

    DDSURFACEDESC shown = {};
    shown.dwSize = sizeof shown;
    ASSERT_EQ(PrimarySurface->Lock(nullptr, &shown, DDLOCK_WAIT | DDLOCK_READONLY, nullptr), DD_OK);
    auto at
        = [&](int x, int y) { return static_cast<const uint8_t*>(shown.lpSurface)[y * shown.lPitch + x]; };
    EXPECT_EQ(shown.ddpfPixelFormat.dwRGBBitCount, 8u);
    for (const POINT p : { POINT { 160, 120 }, POINT { 479, 120 }, POINT { 160, 359 }, POINT { 479, 359 } })
        EXPECT_EQ(at(p.x, p.y), 77) << p.x << "," << p.y; // the viewport's corners
    for (const POINT p : { POINT { 159, 240 }, POINT { 480, 240 }, POINT { 320, 360 }, POINT { 639, 479 } })
        EXPECT_EQ(at(p.x, p.y), 0) << p.x << "," << p.y; // cleared when the mode was set
    int lit = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 640; ++x)
            lit += at(x, y) != 0;
    EXPECT_GT(lit, 53); // the notice at the screen's corner, a dot or more a character
    PrimarySurface->Unlock(shown.lpSurface);

    CloseFullScreen();
    EXPECT_TRUE(Boxes.empty()) << Boxes[0];
    EXPECT_EQ(CursorShown, 0);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), desktopWidth);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), desktopHeight);
    ShowWindow(ViewWindow, SW_HIDE);
}

} // namespace
