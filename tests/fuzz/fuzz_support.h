// What the fuzz targets share: a private copy of the data set, frames drawn between guard bytes
// the address sanitizer watches, and the checks that end a run as a finding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

const std::string& FuzzDataFolder(); // the default data set, made once per process
const std::string& DefaultIni(); // its fc.ini without comments
void WriteDataFile(const std::string& name, const void* bytes, size_t size); // '/' separated, in the folder

// Open the folder with the axes at rest; draw a frame through the buffer presenter, guards poisoned,
// then check every frame invariant (full) or the guards and counts; close in balance. Any failure
// is a finding.
void OpenFuzzData();
void FuzzFrame(bool full);
void CloseFuzzData();

// Little-endian values from the control bytes in front of an input; zero past their end.
struct InputReader {
    const uint8_t* data;
    size_t size, at = 0;
    uint32_t Take(int bytes);
};
