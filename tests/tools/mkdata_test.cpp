// quarvel-tool mkdata: the same bytes on every run, the bytes recorded in tests/golden/mkdata.crc,
// every file fc.ini names present, and each picture fit for its slot.
#include <algorithm>
#include <cstdlib>
#include <map>
#include <sstream>

#include "base/alloc.h"
#include "base/sys.h"
#include "frame_runner.h"
#include "render/bitmap.h"
#include "tool_test.h"

namespace {

std::map<fs::path, Bytes> Files(const fs::path& dir)
{
    std::map<fs::path, Bytes> files;
    for (const auto& entry : fs::recursive_directory_iterator(dir))
        if (entry.is_regular_file())
            ReadFileBytes(entry.path().string(), &files[fs::relative(entry.path(), dir)]);
    return files;
}

bool Fits(const std::string& path, PictureKind kind)
{
    Bitmap b = {};
    const bool fits = LoadBitmap(path.c_str(), &b) == 0 && PictureIsSound(b, kind);
    FreeBlock(b.pixels);
    return fits;
}

using Mkdata = ToolTest;

TEST_F(Mkdata, TwoRunsWriteTheRecordedFilesEachFitForItsSlot)
{
    ASSERT_EQ(Tool("mkdata again"), 0);
    const std::map<fs::path, Bytes> files = Files("data");
    EXPECT_TRUE(files == Files("again")) << "the runs differ";
    std::ostringstream crcs;
    for (const auto& [path, bytes] : files) {
        char line[300];
        std::snprintf(line, sizeof line, "%08x %s\n", Crc32(bytes.data(), bytes.size()), path.c_str());
        crcs << line;
    }
    const fs::path golden = fs::path(QUARVEL_SOURCE_DIR) / "tests/golden/mkdata.crc";
    if (const char* update = std::getenv("QUARVEL_UPDATE_GOLDEN"); update && std::string(update) == "1")
        std::ofstream(golden) << crcs.str();
    EXPECT_EQ(crcs.str(), ReadText(golden)) << "QUARVEL_UPDATE_GOLDEN=1 rewrites " << golden;

    // The floor image and the drawn slots name a file, the others "?"; each picture passes its check.
    for (int slot = -1; slot < BitmapSlotCount; ++slot) {
        char value[256];
        SysIniString("bitmaps", slot < 0 ? "floor" : std::to_string(slot).c_str(), "?", value, sizeof value,
            "data/fc.ini");
        const bool sprite = IsSpriteSlot(slot), drawn = slot < 0 || sprite || slot >= FloorTextureSlot;
        ASSERT_EQ(value[0] != '?', drawn) << "slot " << slot;
        std::string path = value;
        std::replace(path.begin(), path.end(), '\\', '/');
        if (!drawn)
            continue;
        const PictureKind kind = sprite ? PictureKind::Sprite
            : slot < 0                  ? PictureKind::Plain
                                        : PictureKind::Floor;
        EXPECT_TRUE(Fits("data/" + path, kind)) << path << " is unfit for slot " << slot;
    }
    EXPECT_TRUE(Fits("data/sc/backdrop.sc0", PictureKind::Backdrop));
}

} // namespace
