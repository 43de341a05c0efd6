// The default data set's fc.ini: every key the program reads, each with a comment.
#pragma once

#include <string>

namespace mkdata {

// The picture files of the data set, as fc.ini names them (Windows paths, relative to the
// program's current directory).
constexpr const char* FloorImageFile = "sc\\default.sc0";
constexpr const char* FloorTextureFile = "sc\\floor.sc0";
constexpr const char* TargetFile = "sc\\target.sc0";
extern const char* const StandingObjectFiles[4]; // slots 1..4
extern const char* const ExplosionFiles[7]; // slots 24..30

// fc.ini text with CRLF line ends.
std::string MakeIniFile();

} // namespace mkdata
