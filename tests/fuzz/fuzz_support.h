// What the fuzz targets share: a private copy of the data set, frames drawn between guard
// bytes the address sanitizer watches, and the checks that end a run as a finding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The folder with the default data set, made once per process; its fc.ini without comments.
const std::string& FuzzDataFolder();
const std::string& DefaultIni();

// Writes a file of the data folder (a path relative to it, '/' separated).
void WriteDataFile(const std::string& name, const void* bytes, size_t size);

// Opens the data folder with the motion axes at rest; a failure is a finding.
void OpenFuzzData();

// One frame through the buffer presenter with the guard bytes poisoned, so that a write
// outside the frame stops where it happens. With full set, every invariant of a frame must
// hold after it; otherwise only the guards and the allocation counts.
void FuzzFrame(bool full);

// Releases the configuration; unbalanced allocation counts are a finding.
void CloseFuzzData();

// Little-endian reading of the control bytes in front of an input.
struct InputReader {
    const uint8_t* data;
    size_t size;
    size_t at = 0;
    uint32_t Take(int bytes);
};
