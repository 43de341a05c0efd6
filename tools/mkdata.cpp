// quarvel-tool mkdata DIR: writes the default data set (palette, pictures, sounds, tune, fc.ini).
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "commands.h"
#include "data_ini.h"
#include "data_music.h"
#include "data_palette.h"
#include "data_scenery.h"
#include "data_sound.h"
#include "data_sprites.h"
#include "sc0_file.h"

namespace {

struct DataFile {
    std::string path; // relative to DIR, '/' separated
    std::vector<uint8_t> bytes;
};

// fc.ini names files the Windows way; here they are written the host's way.
std::string HostPath(const char* iniPath)
{
    std::string path = iniPath;
    for (char& c : path)
        if (c == '\\')
            c = '/';
    return path;
}

std::vector<DataFile> MakeDataSet()
{
    using namespace mkdata;
    std::vector<DataFile> files;
    files.push_back({ "sc/nosystem.pal", MakePaletteFile() });
    // Dither only where gradients are broad; the floor and the billboards are magnified up
    // close, where a dither pattern would show.
    files.push_back({ "sc/backdrop.sc0", PlainPictureFile(PaintBackdrop(), 6) });
    const Picture floor = PaintFloor();
    files.push_back({ HostPath(FloorTextureFile), PlainPictureFile(floor, 2) });
    files.push_back({ HostPath(FloorImageFile), PlainPictureFile(PaintFloorImage(floor), 0) });
    const Picture standing[4] = { PaintTree(), PaintPillar(), PaintCrates(), PaintLampPost() };
    for (int32_t i = 0; i < 4; ++i)
        files.push_back({ HostPath(StandingObjectFiles[i]), SpritePictureFile(standing[i], 2) });
    files.push_back({ HostPath(TargetFile), SpritePictureFile(PaintTargetOrb(), 2) });
    for (int32_t frame = 0; frame < ExplosionFrames; ++frame)
        files.push_back({ HostPath(ExplosionFiles[frame]), SpritePictureFile(PaintExplosion(frame), 2) });

    const std::vector<int16_t> sounds[5]
        = { SynthTrigger(), SynthStartUp(), SynthRespawn(), SynthBump(), SynthExplosion() };
    for (int32_t slot = 0; slot < 5; ++slot)
        files.push_back(
            { "snd/qrvl0" + std::to_string(slot) + ".wav", MakeWavFile(sounds[slot], SoundRate) });
    files.push_back({ "mus/3d.mid", MakeTuneFile() });

    const std::string ini = MakeIniFile();
    files.push_back({ "fc.ini", std::vector<uint8_t>(ini.begin(), ini.end()) });
    return files;
}

} // namespace

const char MkdataUsage[] = "usage: quarvel-tool mkdata DIR\n";

int MkdataCommand(int argc, char** argv)
{
    if (argc != 1) {
        std::fprintf(stderr, "%s", MkdataUsage);
        return 2;
    }
    const std::filesystem::path dir = argv[0];
    for (const char* sub : { "sc", "snd", "mus" }) {
        std::error_code error;
        std::filesystem::create_directories(dir / sub, error);
        if (error) {
            std::fprintf(stderr, "quarvel-tool mkdata: cannot create %s: %s\n", (dir / sub).string().c_str(),
                error.message().c_str());
            return 1;
        }
    }
    for (const DataFile& file : MakeDataSet()) {
        const std::filesystem::path path = dir / file.path;
        if (!WriteFileBytes(path.string(), file.bytes)) {
            std::fprintf(stderr, "quarvel-tool mkdata: cannot write %s\n", path.string().c_str());
            return 1;
        }
    }
    return 0;
}
