// Reading fc.ini at start-up into the viewpoint, the settings, the projection and the pictures.
#include "app/config.h"

#include <cstring>

#include "base/alloc.h"
#include "base/settings.h"
#include "base/sys.h"
#include "render/bitmap.h"
#include "render/trig.h"
#include "world/viewpoint.h"

namespace {

constexpr uint32_t ModulePathBytes = 2048;
constexpr uint32_t ConfigNameRoom = 256; // "fc.ini" and its terminator, with room to spare
const char ConfigName[] = "fc.ini";

int32_t ReadView(const char* key, int32_t fallback)
{
    return SysIniInt("view", key, fallback, ConfigPath);
}

} // namespace

bool ViewSizeAllowed(int32_t width, int32_t height)
{
    return width >= SmallestViewSize && width <= LargestViewSize && height >= SmallestViewSize
        && height <= LargestViewSize;
}

void NormaliseProjection()
{
    Projection.ProjXs &= ~int32_t(3);
    if (Projection.ProjXs < SmallestViewSize)
        Projection.ProjXs = SmallestViewSize;
    if (Projection.ProjXs > LargestViewSize)
        Projection.ProjXs = LargestViewSize;
    if (Projection.ProjZs < SmallestViewSize)
        Projection.ProjZs = SmallestViewSize;
    if (Projection.ProjZs > LargestViewSize)
        Projection.ProjZs = LargestViewSize;
    if (Projection.ProjDs < 64)
        Projection.ProjDs = 64;
    if (Projection.ProjDs > 2048)
        Projection.ProjDs = 2048;
}

int LoadConfig()
{
    // Loading twice would orphan the path and every picture block; the first load stands.
    if (ConfigStatus == 0)
        return 0;

    char module[ModulePathBytes];
    const uint32_t length = SysModulePath(module, sizeof module);
    uint32_t directory = length;
    while (directory > 0 && module[directory - 1] != '\\')
        --directory;

    ConfigPath = static_cast<char*>(AllocBlock(directory + ConfigNameRoom));
    if (!ConfigPath)
        return -1;
    std::memcpy(ConfigPath, module, directory);
    std::memcpy(ConfigPath + directory, ConfigName, sizeof ConfigName);

    const int32_t x = ReadView("ViewPntX", ViewPoint.x);
    const int32_t y = ReadView("ViewPntY", ViewPoint.y);
    const int32_t height = ReadView("ViewPntZ", ViewPoint.height);
    // The first move indexes the sine table before anything else reduces the angle.
    const int32_t angle = ReadView("ViewPntA", ViewPoint.angle) & 1023;
    PlaceViewer(x, y, height, angle);

    JumpToDX = SysIniInt("program", "JumpToDX", 0, ConfigPath);
    WinGStyle = ReadView("WinGStyle", 1);
    LastModeXs = ReadView("LastModeXs", 640);
    LastModeZs = ReadView("LastModeZs", 480);
    ScrUseXs = ReadView("ScrUseXs", 320);
    ScrUseZs = ReadView("ScrUseZs", 240);

    Projection.ProjDs = ReadView("ProjDs", Projection.ProjDs);
    Projection.ProjXs = ReadView("ProjXs", Projection.ProjXs);
    Projection.ProjZs = ReadView("ProjZs", Projection.ProjZs);
    NormaliseProjection();

    LoadBitmapSet();
    return 0;
}

int FreeConfig()
{
    if (ConfigStatus != 0)
        return ConfigStatus;
    FreeBitmapSet();
    FreeBlock(ConfigPath);
    ConfigPath = nullptr;
    ConfigStatus = -1;
    return 0;
}
