// DirectDraw error texts and the display-mode catalogue, with a fake driver and with Wine's own.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "app/alloc.h"
#include "app/sys.h"
#include "display/win32_display.h"

#include "win32_display_fakes.h"

namespace {

// ---- DDErrorText ----------------------------------------------------------------------------

TEST(DDErrorText, GivesTheTextOfEachCode)
{
    const struct {
        uint32_t code;
        const char* text;
    } cases[] = {
        {0x00000000, "No error"},
        {0x887601C2,
            "Access to this surface is being refused because the surface memory is gone. The "
            "DirectDrawSurface object representing this surface should have Restore called on it."},
        {0x8876021C,
            "Informs DirectDraw that the previous Blt which is transfering information to or from "
            "this Surface is incomplete."},
        {0x80004005, "Generic failure."},
        {0x80070057, "One or more of the parameters passed to the function are incorrect."},
        {0x88760078, "DirectDraw does not support the requested mode."},
        {0x887600B4, "there is no alpha accleration hardware present or available."},
        {0x88760180, "Can only have ony color key active at one time for overlays."},
        {0x887601E0,
            "Size requested by DirectDraw is too large --    the individual height and width are OK."},
        {0x88760248,
            "Surface was not locked.  An attempt to unlock a surface that was not locked at all, or "
            "by this process, has been attempted."},
        {0x88760096, "Rectangle provided was invalid."},
        {0x88760230, "Rectangle provided"},
        {0x80004001, "Action not supported."},
    };
    for (const auto& c : cases)
        EXPECT_STREQ(DDErrorText(c.code), c.text) << std::hex << c.code;
}

TEST(DDErrorText, BothOutOfMemoryCodesShareOneText)
{
    EXPECT_EQ(DDErrorText(0x8007000E), DDErrorText(0x8876017C));
    EXPECT_STREQ(DDErrorText(0x8876017C), "DirectDraw does not have enough memory to perform the operation.");
}

// The platform header's own names for the codes, so a mistyped code in the table shows.
const HRESULT KnownCodes[] = {DD_OK, DDERR_ALREADYINITIALIZED, DDERR_BLTFASTCANTCLIP,
    DDERR_CANNOTATTACHSURFACE, DDERR_CANNOTDETACHSURFACE, DDERR_CANTCREATEDC, DDERR_CANTDUPLICATE,
    DDERR_CLIPPERISUSINGHWND, DDERR_COLORKEYNOTSET, DDERR_CURRENTLYNOTAVAIL, DDERR_DIRECTDRAWALREADYCREATED,
    DDERR_EXCEPTION, DDERR_EXCLUSIVEMODEALREADYSET, DDERR_GENERIC, DDERR_HEIGHTALIGN, DDERR_HWNDALREADYSET,
    DDERR_HWNDSUBCLASSED, DDERR_IMPLICITLYCREATED, DDERR_INCOMPATIBLEPRIMARY, DDERR_INVALIDCAPS,
    DDERR_INVALIDCLIPLIST, DDERR_INVALIDDIRECTDRAWGUID, DDERR_INVALIDMODE, DDERR_INVALIDOBJECT,
    DDERR_INVALIDPARAMS, DDERR_INVALIDPIXELFORMAT, DDERR_INVALIDPOSITION, DDERR_INVALIDRECT,
    DDERR_LOCKEDSURFACES, DDERR_NO3D, DDERR_NOALPHAHW, DDERR_NOBLTHW, DDERR_NOCLIPLIST,
    DDERR_NOCLIPPERATTACHED, DDERR_NOCOLORCONVHW, DDERR_NOCOLORKEY, DDERR_NOCOLORKEYHW,
    DDERR_NOCOOPERATIVELEVELSET, DDERR_NODC, DDERR_NODDROPSHW, DDERR_NODIRECTDRAWHW, DDERR_NOEMULATION,
    DDERR_NOEXCLUSIVEMODE, DDERR_NOFLIPHW, DDERR_NOGDI, DDERR_NOHWND, DDERR_NOMIRRORHW, DDERR_NOOVERLAYDEST,
    DDERR_NOOVERLAYHW, DDERR_NOPALETTEATTACHED, DDERR_NOPALETTEHW, DDERR_NORASTEROPHW, DDERR_NOROTATIONHW,
    DDERR_NOSTRETCHHW, DDERR_NOT4BITCOLOR, DDERR_NOT4BITCOLORINDEX, DDERR_NOT8BITCOLOR,
    DDERR_NOTAOVERLAYSURFACE, DDERR_NOTEXTUREHW, DDERR_NOTFLIPPABLE, DDERR_NOTFOUND, DDERR_NOTLOCKED,
    DDERR_NOTPALETTIZED, DDERR_NOVSYNCHW, DDERR_NOZBUFFERHW, DDERR_NOZOVERLAYHW, DDERR_OUTOFCAPS,
    DDERR_OUTOFMEMORY, DDERR_OUTOFVIDEOMEMORY, DDERR_OVERLAYCANTCLIP, DDERR_OVERLAYCOLORKEYONLYONEACTIVE,
    DDERR_OVERLAYNOTVISIBLE, DDERR_PALETTEBUSY, DDERR_PRIMARYSURFACEALREADYEXISTS, DDERR_REGIONTOOSMALL,
    DDERR_SURFACEALREADYATTACHED, DDERR_SURFACEALREADYDEPENDENT, DDERR_SURFACEBUSY, DDERR_SURFACEISOBSCURED,
    DDERR_SURFACELOST, DDERR_SURFACENOTATTACHED, DDERR_TOOBIGHEIGHT, DDERR_TOOBIGSIZE, DDERR_TOOBIGWIDTH,
    DDERR_UNSUPPORTED, DDERR_UNSUPPORTEDFORMAT, DDERR_UNSUPPORTEDMASK, DDERR_VERTICALBLANKINPROGRESS,
    DDERR_WASSTILLDRAWING, DDERR_WRONGMODE, DDERR_XALIGN};

TEST(DDErrorText, EveryCodeTheHeaderNamesHasItsOwnText)
{
    ASSERT_EQ(sizeof KnownCodes / sizeof KnownCodes[0], 91u);
    std::set<const char*> texts;
    for (const HRESULT code : KnownCodes) {
        const char* text = DDErrorText(uint32_t(code));
        EXPECT_NE(std::strncmp(text, "unknown error", 13), 0) << std::hex << uint32_t(code);
        EXPECT_GT(std::strlen(text), 0u);
        texts.insert(text);
    }
    EXPECT_EQ(texts.size(), 90u); // one text serves both out-of-memory codes
}

TEST(DDErrorText, OtherCodesShareOneBufferThatTheNextUnknownCodeOverwrites)
{
    const char* first = DDErrorText(1);
    EXPECT_STREQ(first, "unknown error: 00000001");
    EXPECT_EQ(std::strlen(first), 23u);
    DDErrorText(DDERR_SURFACELOST); // a known code leaves the buffer alone
    EXPECT_STREQ(first, "unknown error: 00000001");
    const char* second = DDErrorText(0x8876ABCD);
    EXPECT_EQ(second, first);
    EXPECT_STREQ(first, "unknown error: 8876ABCD");
    EXPECT_STREQ(DDErrorText(0xFFFFFFFF), "unknown error: FFFFFFFF");
    EXPECT_STREQ(DDErrorText(0x88760001), "unknown error: 88760001");
}

// ---- The catalogue with a fake driver ----------------------------------------------------------

const char ModeFile[] = "zqx_TEMP.XQZ";

bool FileExists(const char* path)
{
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

// A description with every field distinct, so a record copied short or shifted shows.
DDSURFACEDESC MakeMode(DWORD width, DWORD height, DWORD depth, DWORD tag)
{
    DDSURFACEDESC mode;
    auto* words = reinterpret_cast<DWORD*>(&mode);
    for (DWORD i = 0; i < sizeof mode / 4; ++i)
        words[i] = tag * 1000 + i;
    mode.dwSize = sizeof mode;
    mode.dwWidth = width;
    mode.dwHeight = height;
    mode.ddpfPixelFormat.dwRGBBitCount = depth;
    return mode;
}

FakeDirectDraw* NextDirectDraw = nullptr;
HRESULT CreateAnswer = DD_OK;
int Creations = 0;

HRESULT WINAPI CreateFake(GUID* driver, IDirectDraw** object, IUnknown* outer)
{
    ++Creations;
    EXPECT_EQ(driver, nullptr);
    EXPECT_EQ(outer, nullptr);
    if (CreateAnswer != DD_OK)
        return CreateAnswer;
    *object = NextDirectDraw;
    return DD_OK;
}

// Each test runs in a fresh directory of its own, as the program's current directory.
class Catalogue : public ::testing::Test {
protected:
    void SetUp() override
    {
        GetCurrentDirectoryA(MAX_PATH, previous);
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        dir = std::string(temp) + "quarvel-modes-" + std::to_string(GetCurrentProcessId()) + "-"
            + ::testing::UnitTest::GetInstance()->current_test_info()->name();
        CreateDirectoryA(dir.c_str(), nullptr);
        SetCurrentDirectoryA(dir.c_str());
        savedCreate = DirectDrawCreateFunction;
        savedBox = SysMessageBox;
        DirectDrawCreateFunction = CreateFake;
        SysMessageBox = RecordBox;
        NextDirectDraw = &dd;
        CreateAnswer = DD_OK;
        Creations = 0;
        DDCalls.clear();
        Boxes.clear();
        allocs = AllocCount;
        releases = ReleaseCount;
    }
    void TearDown() override
    {
        FreeModeCatalogue();
        DirectDrawCreateFunction = savedCreate;
        SysMessageBox = savedBox;
        DeleteFileA(ModeFile);
        RemoveDirectoryA(ModeFile);
        SetCurrentDirectoryA(previous);
        RemoveDirectoryA(dir.c_str());
    }
    // After a failed start the catalogue is not set up, and its tear-down touches nothing.
    void ExpectNothingSetUp()
    {
        EXPECT_EQ(ModeCatalogueStatus, -1);
        EXPECT_EQ(DirectDrawObject, nullptr);
        EXPECT_EQ(ModeCatalogue, nullptr);
        EXPECT_EQ(AllocCount, allocs);
        const size_t calls = DDCalls.size();
        EXPECT_EQ(FreeModeCatalogue(), -1);
        EXPECT_EQ(DDCalls.size(), calls);
        EXPECT_FALSE(FileExists(ModeFile));
    }
    FakeDirectDraw dd;
    char previous[MAX_PATH];
    std::string dir;
    MessageBoxFunction savedBox;
    HRESULT(WINAPI* savedCreate)(GUID*, IDirectDraw**, IUnknown*);
    uint32_t allocs, releases;
};

TEST_F(Catalogue, KeepsEveryModeInTheDriversOrderByteForByte)
{
    dd.modes = {MakeMode(320, 200, 8, 1), MakeMode(320, 200, 16, 2), MakeMode(320, 200, 32, 3),
        MakeMode(640, 480, 8, 4), MakeMode(640, 480, 8, 5), // the same size and depth again
        MakeMode(1024, 768, 16, 6)};
    int seenWithFile = 0;
    dd.whileEnumerating = [&] { seenWithFile += FileExists(ModeFile); };

    ASSERT_EQ(InitModeCatalogue(), 0);
    EXPECT_TRUE(Boxes.empty());
    EXPECT_EQ(Creations, 1);
    EXPECT_EQ(DirectDrawObject, &dd);
    EXPECT_EQ(dd.enumFlags, 0u);
    EXPECT_FALSE(dd.enumFilter);
    EXPECT_EQ(seenWithFile, 6); // the records went through the temporary file...
    EXPECT_FALSE(FileExists(ModeFile)); // ...which is gone once the catalogue is read
    ASSERT_EQ(ModeCount, 6);
    ASSERT_NE(ModeCatalogue, nullptr);
    for (int i = 0; i < ModeCount; ++i)
        EXPECT_EQ(std::memcmp(&ModeCatalogue[i], &dd.modes[i], 108), 0) << i;
    EXPECT_EQ(AllocCount, allocs + 1);
    EXPECT_EQ(dd.releases, 0);

    EXPECT_EQ(FreeModeCatalogue(), 0);
    EXPECT_EQ(ReleaseCount, releases + 1);
    EXPECT_EQ(dd.releases, 1);
    EXPECT_EQ(DirectDrawObject, nullptr);
    EXPECT_EQ(ModeCatalogue, nullptr);
    EXPECT_EQ(FreeModeCatalogue(), -1);
    EXPECT_EQ(dd.releases, 1);
}

TEST_F(Catalogue, AFileLeftUnderTheTemporaryNameIsOverwrittenAndRemoved)
{
    HANDLE old = CreateFileA(ModeFile, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(old, INVALID_HANDLE_VALUE);
    char junk[1000];
    std::memset(junk, 0xAB, sizeof junk);
    DWORD written;
    WriteFile(old, junk, sizeof junk, &written, nullptr);
    CloseHandle(old);

    dd.modes = {MakeMode(640, 480, 8, 7), MakeMode(800, 600, 8, 8)};
    ASSERT_EQ(InitModeCatalogue(), 0);
    ASSERT_EQ(ModeCount, 2);
    EXPECT_EQ(std::memcmp(&ModeCatalogue[0], &dd.modes[0], 108), 0);
    EXPECT_EQ(std::memcmp(&ModeCatalogue[1], &dd.modes[1], 108), 0);
    EXPECT_FALSE(FileExists(ModeFile));
}

TEST_F(Catalogue, EachFailureShowsItsTextUndoesWhatWasMadeAndReturnsItsCode)
{
    const struct {
        const char* name;
        HRESULT create, enumerate;
        int modes;
        bool blockFile;
        int result;
        const char* box;
        int releases;
    } cases[] = {
        {"no DirectDraw object", DDERR_NODIRECTDRAWHW, DD_OK, 2, false, -1,
            "DirectDraw Error: A hardware-only DirectDraw object creation was attempted but the driver "
            "did not support any hardware.",
            0},
        {"unknown creation code", HRESULT(0x8000FFFF), DD_OK, 2, false, -1,
            "DirectDraw Error: unknown error: 8000FFFF", 0},
        {"no temporary file", DD_OK, DD_OK, 2, true, -1, "initialization error: can't open temporary file",
            1},
        {"enumeration failed", DD_OK, DDERR_GENERIC, 2, false, -2, "DirectDraw Error: Generic failure.", 1},
        {"no modes at all", DD_OK, DD_OK, 0, false, -3, "initialization error: can't allocate memory", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeDirectDraw fake;
        NextDirectDraw = &fake;
        CreateAnswer = c.create;
        fake.enumerate.otherwise = c.enumerate;
        for (int i = 0; i < c.modes; ++i)
            fake.modes.push_back(MakeMode(640, 480, 8, DWORD(i)));
        // A directory under the file's name: nothing can be created in its place. It stands in
        // for a directory without write permission, which Wine cannot make here: its read-only
        // attribute is ignored for directories, and the tests may run as root.
        if (c.blockFile) {
            ASSERT_TRUE(CreateDirectoryA(ModeFile, nullptr));
        }
        Boxes.clear();
        DDCalls.clear();

        EXPECT_EQ(InitModeCatalogue(), c.result);
        EXPECT_EQ(Boxes, std::vector<std::string>{c.box});
        EXPECT_EQ(fake.releases, c.releases);
        if (c.blockFile) {
            EXPECT_EQ(DDCalls, std::vector<std::string>{"dd.Release"}); // never enumerated
            RemoveDirectoryA(ModeFile);
        }
        ExpectNothingSetUp();
    }
}

// ---- The catalogue from Wine's DirectDraw ------------------------------------------------------

class RealCatalogue : public Catalogue {
protected:
    void SetUp() override
    {
        Catalogue::SetUp();
        DirectDrawCreateFunction = savedCreate;
    }
};

bool Lists(DWORD width, DWORD height, DWORD depth)
{
    for (int i = 0; i < ModeCount; ++i)
        if (ModeCatalogue[i].dwWidth == width && ModeCatalogue[i].dwHeight == height
            && ModeCatalogue[i].ddpfPixelFormat.dwRGBBitCount == depth)
            return true;
    return false;
}

TEST_F(RealCatalogue, ListsTheDesktopsModesAtEveryDepthAndBalancesItsMemory)
{
    ASSERT_EQ(InitModeCatalogue(), 0) << (Boxes.empty() ? "" : Boxes[0]);
    EXPECT_TRUE(Boxes.empty());
    EXPECT_FALSE(FileExists(ModeFile));
    EXPECT_NE(DirectDrawObject, nullptr);
    ASSERT_GT(ModeCount, 0);
    const DWORD sizes[][2] = {{320, 200}, {640, 480}, {800, 600}, {1024, 768}};
    for (const auto& size : sizes)
        for (const DWORD depth : {8u, 16u, 32u})
            EXPECT_TRUE(Lists(size[0], size[1], depth)) << size[0] << "x" << size[1] << "x" << depth;
    for (int i = 0; i < ModeCount; ++i) {
        EXPECT_EQ(ModeCatalogue[i].dwSize, 108u) << i;
        EXPECT_LE(ModeCatalogue[i].dwWidth, 1024u) << i; // nothing beyond the virtual desktop
    }
    EXPECT_EQ(AllocCount, allocs + 1);
    EXPECT_EQ(FreeModeCatalogue(), 0);
    EXPECT_EQ(AllocCount - allocs, ReleaseCount - releases);
    EXPECT_EQ(DirectDrawObject, nullptr);
}

} // namespace
