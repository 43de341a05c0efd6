// quarvel-tool mkdata: the same bytes on every run and the bytes recorded in tests/golden/mkdata.crc;
// the golden replays draw them.
#include <cstdlib>
#include <iomanip>
#include <map>
#include <sstream>

#include "app/frame_runner.h"
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

using Mkdata = ToolTest;

TEST_F(Mkdata, TwoRunsWriteTheRecordedFiles)
{
    ASSERT_EQ(Tool("mkdata again"), 0);
    const std::map<fs::path, Bytes> files = Files("data");
    EXPECT_TRUE(files == Files("again")) << "the runs differ";
    std::ostringstream crcs;
    for (const auto& [path, bytes] : files)
        crcs << std::hex << std::setw(8) << std::setfill('0') << Crc32(bytes.data(), bytes.size()) << ' '
             << path.string() << '\n';
    const fs::path golden = fs::path(QUARVEL_SOURCE_DIR) / "tests/golden/mkdata.crc";
    if (const char* update = std::getenv("QUARVEL_UPDATE_GOLDEN"); update && std::string(update) == "1")
        std::ofstream(golden) << crcs.str();
    EXPECT_EQ(crcs.str(), ReadText(golden)) << "QUARVEL_UPDATE_GOLDEN=1 rewrites " << golden;
}

} // namespace
