// The default data set's fc.ini: every key the program reads, each with a comment.
#include "data_ini.h"

#include <cstdint>

namespace mkdata {

const char* const StandingObjectFiles[4]
    = { "sc\\tree.sc0", "sc\\pillar.sc0", "sc\\crates.sc0", "sc\\lamp.sc0" };
const char* const ExplosionFiles[7] = { "sc\\boom0.sc0", "sc\\boom1.sc0", "sc\\boom2.sc0", "sc\\boom3.sc0",
    "sc\\boom4.sc0", "sc\\boom5.sc0", "sc\\boom6.sc0" };

namespace {

    void Line(std::string* out, const std::string& text)
    {
        *out += text;
        *out += "\r\n";
    }

} // namespace

std::string MakeIniFile()
{
    std::string s;
    Line(&s, "; Quarvel settings, read once at start-up; the launcher never writes them back.");
    Line(&s, "; Lines that begin with ';' are comments. A missing key takes its default.");
    Line(&s, "");
    Line(&s, "[view]");
    Line(&s, "; Start position of the viewer on the floor square, world units 0..1023 each.");
    Line(&s, "; The start view stands near the low-y edge and looks across at the tree and");
    Line(&s, "; the pillar, with the crates and the target beyond them.");
    Line(&s, "ViewPntX=440");
    Line(&s, "ViewPntY=160");
    Line(&s, "; Eye height above the floor in world units (the objects are 64 tall); A and Z");
    Line(&s, "; move it. Below 16 the floor is not drawn. Default 128.");
    Line(&s, "ViewPntZ=56");
    Line(&s, "; View angle, 1024 steps a full turn: 0 looks toward +y, 256 toward -x,");
    Line(&s, "; 512 toward -y, 768 toward +x.");
    Line(&s, "ViewPntA=128");
    Line(&s, "; 1 = show the view in a normal window; 0 = full-screen display mode.");
    Line(&s, "WinGStyle=1");
    Line(&s, "; Width and height of the full-screen display mode (8 bits per pixel).");
    Line(&s, "LastModeXs=640");
    Line(&s, "LastModeZs=480");
    Line(&s, "; Size of the 3D view in pixels, 128..2048 each way.");
    Line(&s, "ScrUseXs=640");
    Line(&s, "ScrUseZs=480");
    Line(&s, "; Projection distance in pixels, 64..2048: half the view width gives a");
    Line(&s, "; 90-degree field of view; larger values zoom in.");
    Line(&s, "ProjDs=320");
    Line(&s, "; Viewport size until the view starts (then ScrUseXs x ScrUseZs replaces it).");
    Line(&s, "; Width is rounded down to a multiple of 4; both are kept in 128..2048.");
    Line(&s, "ProjXs=640");
    Line(&s, "ProjZs=480");
    Line(&s, "");
    Line(&s, "[program]");
    Line(&s, "; 1 = skip the launcher and start straight in the full-screen view (Escape");
    Line(&s, "; then ends the program); 0 = show the launcher.");
    Line(&s, "JumpToDX=0");
    Line(&s, "");
    Line(&s, "[bitmaps]");
    Line(&s, "; Picture files (.sc0), relative to the current directory. A value that begins");
    Line(&s, "; with '?' leaves the slot empty. The backdrop is always sc\\backdrop.sc0.");
    Line(&s, "; floor: a picture that is loaded but never drawn.");
    Line(&s, std::string("floor=") + FloorImageFile);
    Line(&s, "; Slots 1..4: the four standing objects. 23: the floor texture, 256x256,");
    Line(&s, "; repeated every 256 world units. 24..30: the target's explosion, in order.");
    Line(&s, "; 31: the target. The other slots are not drawn.");
    for (int32_t slot = 0; slot < 32; ++slot) {
        std::string value = "?";
        if (slot >= 1 && slot <= 4)
            value = StandingObjectFiles[slot - 1];
        else if (slot == 23)
            value = FloorTextureFile;
        else if (slot >= 24 && slot <= 30)
            value = ExplosionFiles[slot - 24];
        else if (slot == 31)
            value = TargetFile;
        Line(&s, std::to_string(slot) + "=" + value);
    }
    return s;
}

} // namespace mkdata
