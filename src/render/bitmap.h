// .sc0 pictures: the Bitmap record, the loader, and the asset set named in fc.ini.
#pragma once

#include <cstdint>

struct Bitmap {
    uint8_t* pixels; // payload block from AllocBlock; null while the record holds no picture
    uint16_t width; // header offset 4; also the row stride of a plain image
    uint16_t height; // header offset 6
    int16_t field8; // header offsets 8, 10 and 16: carried, never read
    int16_t field10;
    uint32_t size; // payload bytes (header offset 12)
    int16_t field16;
};

// The 32-byte header of a .sc0 file: little-endian fields at these offsets.
constexpr uint32_t Sc0HeaderSize = 32;
constexpr uint32_t Sc0Width = 4, Sc0Height = 6, Sc0Field8 = 8, Sc0Field10 = 10, Sc0Size = 12, Sc0Field16 = 16;
constexpr int BitmapSlotCount = 32;
constexpr int FloorTextureSlot = 23;
constexpr uint32_t FloorTextureBytes = 65536;
constexpr uint32_t BackdropColumns = 1024;

extern Bitmap FloorImage; // loaded and released, never drawn
extern Bitmap Backdrop; // sc\backdrop.sc0
extern Bitmap BitmapSlots[BitmapSlotCount];

// Fills the header fields of bitmap (not pixels) from a file's first Sc0HeaderSize bytes.
void ReadSc0Header(const uint8_t* header, Bitmap* bitmap);

// 0 loaded; -1 not opened; -2 short header; -256 no memory for the payload; -3 short payload.
// On failure pixels is null; on -256 and -3 the header fields are already filled in.
int32_t LoadBitmap(const char* path, Bitmap* bitmap);

// What a renderer will walk in a picture, by the role its slot gives it.
enum class PictureKind { Plain, Floor, Sprite, Backdrop };

// The slots whose pictures are drawn as sprites (the standing objects, the explosion and the
// target): only these are checked as run lists when loaded, so only these may be walked.
bool IsSpriteSlot(int32_t slot);

// True when every byte a renderer reads for this kind lies inside the payload.
bool PictureIsSound(const Bitmap& bitmap, PictureKind kind);

// Loads FloorImage, Backdrop and the slots named in section bitmaps of fc.ini. A picture
// that fails its load or its check is left empty. Sets ConfigStatus to 0 as its last act.
void LoadBitmapSet();

// Releases slots 31 down to 0, then Backdrop, then FloorImage; only while ConfigStatus is 0.
// Every record is left empty, all fields 0, as at program start.
void FreeBitmapSet();

// Called with each record whose block FreeBitmapSet is about to release; null normally.
// Lets a test see the release order, which the shutdown chain depends on.
extern void (*BitmapReleaseObserver)(const Bitmap* record);
