// The headless frame loop of the tools and the native program: data folder, viewport, buffer presenter, key
// scripts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "app/frame.h"

// One line of a key script: before frame `frame` (counted from 0), press or release `key`.
struct KeyEvent {
    int32_t frame;
    bool down;
    int32_t key; // virtual-key code
    bool ctrl;
    int32_t line; // in the script, from 1
};

// A key script: its events, and what its header and end lines say (0 where they say nothing).
struct KeyScript {
    std::vector<KeyEvent> events;
    int32_t width = 0, height = 0; // the viewport
    bool haveView = false;
    int32_t view[4] = {}; // x, y, height, angle of the start view
    int32_t end = 0; // frames in the recording
};

// Parses a key script: one event a line, "FRAME down KEY [ctrl]" or "FRAME up KEY", KEY one of
// up down left right a z; '#' starts a comment. Before the events, one header line may name the
// viewport and the start view ("viewport WxH view X,Y,HEIGHT,ANGLE", either or both); after
// them, "FRAME end" may say how many frames the script runs. Events come back ordered by frame,
// in script order within a frame. On a bad line: false, and error names the line and what is
// wrong.
bool ParseKeyScript(const std::string& text, KeyScript* script, std::string* error);

// Reads and parses a key script file. On failure: false, and error names the file and, for a
// bad line, the line and what is wrong.
bool LoadKeyScript(const std::string& path, KeyScript* script, std::string* error);

// The lines a recording is made of, each with its newline.
std::string KeyScriptHeader(int32_t width, int32_t height, const int32_t view[4]);
std::string KeyScriptEvent(int32_t frame, bool down, int32_t key, bool ctrl);
std::string KeyScriptEnd(int32_t frames);

// "X,Y,HEIGHT,ANGLE", four 32-bit numbers.
bool ParseView(const char* text, int32_t view[4]);

// Presses and releases the events of frame `frame`, starting at events[next]; returns the index
// of the first event of a later frame.
size_t PlayKeyEvents(const std::vector<KeyEvent>& events, size_t next, int32_t frame);

// "WxH" with both in 128..2048, the viewport sizes the view accepts.
bool ParseViewport(const char* text, int32_t* width, int32_t* height);

// The view's size: width x height as given, or fc.ini's screen usage when width is 0. False
// with the reason when it lies outside the limits of ViewSizeAllowed.
bool ChooseViewSize(int32_t* width, int32_t* height, std::string* error);

// A decimal count >= min.
bool ParseCount(const char* text, int32_t min, int32_t* value);

// Makes DIR both the executable's folder (its fc.ini) and the current directory (data paths),
// then loads the configuration and the pictures. False with a reason.
bool OpenDataFolder(const std::string& dir, std::string* error);

// Releases the configuration and the pictures; false with a reason when the allocation
// balance is off.
bool CloseDataFolder(std::string* error);

// Starts the view as Go does: the viewport size into the Projection, its clip bounds, and a
// frame buffer with the window presenter's rows of (width + 3) & ~3 bytes.
void StartView(int32_t width, int32_t height);

// The window-style presenter over the frame buffer: bands cleared in the buffer, nothing
// shown. Valid after StartView.
extern const FramePresenter BufferPresenter;
uint8_t* FrameBuffer();
int32_t FramePitch();
size_t FrameBytes(); // FramePitch() * ProjZs

// The frame buffer has FrameGuardBytes of a known pattern just before FrameBuffer() and
// just after its FrameBytes(); a renderer writing outside the frame changes them.
constexpr size_t FrameGuardBytes = 4096;
bool FrameGuardsIntact();

// What holds after every frame, or "" when it does: with viewer set, angle and eye height
// in 0..1023 and the position inside the world bounds and equal to its fixed point (a
// viewer placed by fc.ini may start anywhere); always one target record, the allocation
// counts as given and the guard bytes intact.
std::string FrameInvariantFault(uint32_t allocCount, uint32_t releaseCount, bool viewer = true);

// The last frame's palette indices, ProjXs x ProjZs bytes, top row first, without padding.
std::vector<uint8_t> RawFrame();

// CRC-32 with the zlib polynomial.
uint32_t Crc32(const uint8_t* data, size_t size);

// Writes indices through the program palette of the current directory's sc/nosystem.pal
// (a grey ramp with a warning when it cannot be read) as an RGB PNG.
bool WriteIndexedPng(const std::string& path, const std::vector<uint8_t>& indices, int32_t width,
    int32_t height, std::string* error);
