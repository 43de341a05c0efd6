// .sc0 pictures: the loader, the soundness checks the renderers rely on, and the asset set.
#include "render/bitmap.h"

#include "base/alloc.h"
#include "base/bytes.h"
#include "base/settings.h"
#include "base/sys.h"

Bitmap FloorImage = {};
Bitmap Backdrop = {};
Bitmap BitmapSlots[BitmapSlotCount] = {};
void (*BitmapReleaseObserver)(const Bitmap* record) = nullptr;

bool IsSpriteSlot(int32_t slot)
{
    return (slot >= 1 && slot <= 4) || (slot >= 24 && slot <= 31);
}

namespace {

const char BackdropPath[] = "sc\\backdrop.sc0";
const char DefaultFloorPath[] = "sc\\default.sc0";
constexpr uint32_t FloorKeyBytes = 256; // 255 characters and the terminator
constexpr uint32_t SlotKeyBytes = 250; // 249 characters and the terminator

// Bytes delivered, reading on until count or the end of the file.
uint32_t ReadFully(SysFile file, uint8_t* buffer, uint32_t count)
{
    uint32_t got = 0;
    while (got < count) {
        const uint32_t n = SysRead(file, buffer + got, count - got);
        if (n == 0)
            break;
        got += n;
    }
    return got;
}

// Walks one row's run list from at until a terminator or a record proven sound by an
// earlier row: headers, pixel bytes and terminators inside the payload, runs left to right
// without overlap and inside the width.
bool RowIsSound(const Bitmap& bitmap, uint64_t at, const uint8_t* provenSound)
{
    const uint64_t size = bitmap.size;
    const uint8_t* data = bitmap.pixels;
    int32_t previousLast = -1;
    for (;;) {
        if (at + 4 > size)
            return false;
        const uint16_t first = Get16(data + at);
        const uint16_t last = Get16(data + at + 2);
        const bool terminator = last < first;
        if (!terminator && int32_t(first) <= previousLast)
            return false;
        if (terminator || (provenSound[at >> 3] >> (at & 7) & 1))
            return true;
        if (last >= bitmap.width)
            return false;
        at += 4 + uint64_t(last - first) + 1; // the next header check covers the pixels
        previousLast = last;
    }
}

// Walks every row as the sprite renderer will. Rows may share run lists (or tails of
// them), so a record already proven sound is not walked again and a crafted file cannot
// make the check quadratic. The marks, one bit per payload byte, come from the counted
// allocator: without them the picture is refused.
bool SpriteIsSound(const Bitmap& bitmap)
{
    // Height 0 leaves the renderer no row to pick (it still reads row 0's offset); width 0
    // makes its last texel column -1. Neither can show anything, so neither is accepted.
    if (bitmap.width == 0 || bitmap.height == 0)
        return false;
    if (uint64_t(bitmap.height) * 4 > bitmap.size)
        return false;
    uint8_t* provenSound = static_cast<uint8_t*>(AllocBlock(uint32_t((uint64_t(bitmap.size) + 7) >> 3)));
    if (!provenSound)
        return false;
    bool sound = true;
    for (uint32_t row = 0; row < bitmap.height && sound; ++row) {
        const uint64_t start = Get32(bitmap.pixels + row * 4);
        sound = RowIsSound(bitmap, start, provenSound);
        // Mark the records this row walked, up to where it met the known ones.
        for (uint64_t at = start; sound && !(provenSound[at >> 3] >> (at & 7) & 1);) {
            const uint16_t first = Get16(bitmap.pixels + at);
            const uint16_t last = Get16(bitmap.pixels + at + 2);
            if (last < first)
                break;
            provenSound[at >> 3] |= uint8_t(1 << (at & 7));
            at += 4 + uint64_t(last - first) + 1;
        }
    }
    FreeBlock(provenSound);
    return sound;
}

// The slots the renderers draw, and what they draw them as; false for the others.
bool DrawnSlotKind(int slot, PictureKind* kind)
{
    if (slot == FloorTextureSlot) {
        *kind = PictureKind::Floor;
        return true;
    }
    if (IsSpriteSlot(slot)) {
        *kind = PictureKind::Sprite;
        return true;
    }
    return false;
}

// A picture the renderer would walk out of its payload is not kept; its header stays.
void LoadChecked(const char* path, Bitmap* bitmap, PictureKind kind)
{
    if (LoadBitmap(path, bitmap) != 0 || PictureIsSound(*bitmap, kind))
        return;
    FreeBlock(bitmap->pixels);
    bitmap->pixels = nullptr;
}

void ReleasePicture(Bitmap* bitmap)
{
    if (bitmap->pixels) {
        if (BitmapReleaseObserver)
            BitmapReleaseObserver(bitmap);
        FreeBlock(bitmap->pixels);
    }
    *bitmap = Bitmap {};
}

} // namespace

void ReadSc0Header(const uint8_t* header, Bitmap* bitmap)
{
    bitmap->width = Get16(header + Sc0Width);
    bitmap->height = Get16(header + Sc0Height);
    bitmap->field8 = int16_t(Get16(header + Sc0Field8));
    bitmap->field10 = int16_t(Get16(header + Sc0Field10));
    bitmap->size = Get32(header + Sc0Size);
    bitmap->field16 = int16_t(Get16(header + Sc0Field16));
}

int32_t LoadBitmap(const char* path, Bitmap* bitmap)
{
    bitmap->pixels = nullptr;
    if (!path)
        return -1;
    const SysFile file = SysOpenRead(path);
    if (file == SysNoFile)
        return -1;
    uint8_t header[Sc0HeaderSize];
    if (ReadFully(file, header, Sc0HeaderSize) < Sc0HeaderSize) {
        SysClose(file);
        return -2;
    }
    ReadSc0Header(header, bitmap);

    // A header may claim far more than the file holds; the read would fail anyway, so it
    // fails before the block is taken (a hostile 2 GiB claim would cost seconds and memory).
    const uint32_t fileSize = SysFileSize(file);
    if (fileSize < Sc0HeaderSize || bitmap->size > fileSize - Sc0HeaderSize) {
        SysClose(file);
        return -3;
    }
    uint8_t* block = static_cast<uint8_t*>(AllocBlock(bitmap->size));
    if (!block) {
        SysClose(file);
        return -256;
    }
    if (ReadFully(file, block, bitmap->size) < bitmap->size) {
        FreeBlock(block);
        SysClose(file);
        return -3;
    }
    bitmap->pixels = block;
    SysClose(file);
    return 0;
}

bool PictureIsSound(const Bitmap& bitmap, PictureKind kind)
{
    if (!bitmap.pixels)
        return false;
    const uint64_t area = uint64_t(bitmap.width) * bitmap.height;
    switch (kind) {
    case PictureKind::Plain:
        return bitmap.size >= area;
    case PictureKind::Floor:
        return bitmap.size >= FloorTextureBytes;
    case PictureKind::Backdrop:
        return bitmap.width >= BackdropColumns && bitmap.size >= area;
    case PictureKind::Sprite:
        return SpriteIsSound(bitmap);
    }
    return false;
}

void LoadBitmapSet()
{
    // A second load would orphan the blocks of the first.
    if (ConfigStatus == 0)
        return;

    char floorPath[FloorKeyBytes];
    SysIniString("bitmaps", "floor", DefaultFloorPath, floorPath, sizeof floorPath, ConfigPath);
    LoadBitmap(floorPath, &FloorImage);
    LoadChecked(BackdropPath, &Backdrop, PictureKind::Backdrop);

    for (int slot = 0; slot < BitmapSlotCount; ++slot) {
        BitmapSlots[slot] = Bitmap {};
        char key[3];
        if (slot < 10) {
            key[0] = char('0' + slot);
            key[1] = 0;
        } else {
            key[0] = char('0' + slot / 10);
            key[1] = char('0' + slot % 10);
            key[2] = 0;
        }
        char path[SlotKeyBytes];
        SysIniString("bitmaps", key, "?", path, sizeof path, ConfigPath);
        if (path[0] == '?')
            continue;
        PictureKind kind;
        if (DrawnSlotKind(slot, &kind))
            LoadChecked(path, &BitmapSlots[slot], kind);
        else
            LoadBitmap(path, &BitmapSlots[slot]);
    }
    ConfigStatus = 0;
}

void FreeBitmapSet()
{
    if (ConfigStatus != 0)
        return;
    for (int slot = BitmapSlotCount - 1; slot >= 0; --slot)
        ReleasePicture(&BitmapSlots[slot]);
    ReleasePicture(&Backdrop);
    ReleasePicture(&FloorImage);
}
