// quarvel-tool sc0: describing .sc0 pictures and converting them to and from PNG.
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

#include <stb_image.h>
#include <stb_image_write.h>

#include "base/alloc.h"
#include "commands.h"
#include "render/bitmap.h"
#include "render/palette.h"
#include "sc0_file.h"

const char Sc0Usage[]
    = "usage: quarvel-tool sc0 info FILE\n"
      "       quarvel-tool sc0 decode FILE OUT.png [--palette PAL] [--kind plain|floor|sprite]\n"
      "       quarvel-tool sc0 encode IN.png OUT.sc0 --kind plain|floor|sprite --palette PAL\n";

namespace {

const char DefaultPalette[] = "sc/nosystem.pal";

int Usage()
{
    std::fprintf(stderr, "%s", Sc0Usage);
    return 2;
}

int Fail(const char* format, ...)
{
    std::va_list args;
    va_start(args, format);
    std::fprintf(stderr, "quarvel-tool sc0: ");
    std::vfprintf(stderr, format, args);
    std::fprintf(stderr, "\n");
    va_end(args);
    return 1;
}

const char* KindName(PictureKind kind)
{
    switch (kind) {
    case PictureKind::Plain:
        return "plain";
    case PictureKind::Floor:
        return "floor";
    case PictureKind::Sprite:
        return "sprite";
    case PictureKind::Backdrop:
        return "backdrop";
    }
    return "?";
}

// Only the three kinds a picture file can be made as; a backdrop is a plain picture.
bool ParseKind(const char* text, PictureKind* kind)
{
    for (PictureKind k : { PictureKind::Plain, PictureKind::Floor, PictureKind::Sprite })
        if (std::strcmp(text, KindName(k)) == 0) {
            *kind = k;
            return true;
        }
    return false;
}

const char* LoadResultText(int32_t result)
{
    switch (result) {
    case 0:
        return "loaded";
    case -1:
        return "the file cannot be opened";
    case -2:
        return "fewer than 32 header bytes";
    case -256:
        return "no block for the payload (a size of 0 never gets one)";
    case -3:
        return "the file holds fewer bytes than the payload size";
    }
    return "unknown result";
}

struct Options {
    std::vector<const char*> positional;
    const char* palette = nullptr;
    const char* kind = nullptr;
};

// False with a message on an unknown option or one without its value.
bool ParseOptions(int argc, char** argv, Options* options)
{
    for (int i = 0; i < argc; ++i) {
        const char* a = argv[i];
        const char** target = nullptr;
        if (std::strcmp(a, "--palette") == 0)
            target = &options->palette;
        else if (std::strcmp(a, "--kind") == 0)
            target = &options->kind;
        else if (a[0] == '-' && a[1] == '-') {
            Fail("unknown option %s", a);
            return false;
        } else {
            options->positional.push_back(a);
            continue;
        }
        if (i + 1 >= argc) {
            Fail("%s needs a value", a);
            return false;
        }
        *target = argv[++i];
    }
    return true;
}

// The program palette named, or the data set's, or a grey ramp; says which on stdout.
bool ChoosePalette(const char* path, RgbPalette* palette)
{
    RgbColour file[256];
    if (path) {
        if (!LoadPalFile(path, file)) {
            Fail("cannot read palette %s", path);
            return false;
        }
        *palette = MakeProgramPalette(file);
        std::printf("palette: %s\n", path);
        return true;
    }
    if (LoadPalFile(DefaultPalette, file)) {
        *palette = MakeProgramPalette(file);
        std::printf("palette: %s\n", DefaultPalette);
        return true;
    }
    *palette = GreyRampPalette();
    std::printf("palette: grey ramp (no %s here)\n", DefaultPalette);
    return true;
}

int Info(const Options& options)
{
    if (options.positional.size() != 1 || options.palette || options.kind)
        return Usage();
    const char* path = options.positional[0];
    std::vector<uint8_t> bytes;
    if (!ReadFileBytes(path, &bytes))
        return Fail("cannot read %s", path);
    if (bytes.size() < Sc0HeaderSize)
        return Fail("%s: %zu bytes, a header needs %u", path, bytes.size(), Sc0HeaderSize);

    Bitmap header = {};
    ReadSc0Header(bytes.data(), &header);
    Bitmap b = {};
    const int32_t result = LoadBitmap(path, &b);
    const uint64_t present = bytes.size() - Sc0HeaderSize;
    std::printf("file: %s\n", path);
    std::printf("width: %u\nheight: %u\n", header.width, header.height);
    std::printf("fields at 8, 10, 16: %d %d %d\n", header.field8, header.field10, header.field16);
    const uint32_t size = header.size;
    std::printf("payload size: %u bytes\n", size);
    if (present == size)
        std::printf("bytes after the header: %llu, as many as the payload\n", (unsigned long long)present);
    else if (present > size)
        std::printf("bytes after the header: %llu, %llu more than the payload (never read)\n",
            (unsigned long long)present, (unsigned long long)(present - size));
    else
        std::printf("bytes after the header: %llu, %llu fewer than the payload\n",
            (unsigned long long)present, (unsigned long long)(size - present));
    std::printf("loader result: %d (%s)\n", result, LoadResultText(result));
    if (result != 0)
        return 1;

    std::printf("can be drawn as:");
    bool any = false;
    for (PictureKind k :
        { PictureKind::Plain, PictureKind::Floor, PictureKind::Sprite, PictureKind::Backdrop })
        if (PictureIsSound(b, k)) {
            std::printf(" %s", KindName(k));
            any = true;
        }
    std::printf("%s\n", any ? "" : " none (slots that are never drawn can still hold it)");
    PictureKind guess;
    if (GuessKind(b, &guess))
        std::printf("most likely: %s\n", KindName(guess));
    FreeBlock(b.pixels);
    return 0;
}

int DecodeLoaded(const Bitmap& b, const Options& options)
{
    const char* in = options.positional[0];
    const char* out = options.positional[1];
    PictureKind kind;
    if (options.kind) {
        if (!ParseKind(options.kind, &kind))
            return Fail("unknown kind %s (plain, floor or sprite)", options.kind);
        std::printf("kind: %s\n", KindName(kind));
    } else {
        if (!GuessKind(b, &kind))
            return Fail("%s is none of plain, floor or sprite; give --kind to see why", in);
        std::printf("kind: %s (guessed)\n", KindName(kind));
    }
    const std::string problem = DecodeProblem(b, kind);
    if (!problem.empty())
        return Fail("%s %s", in, problem.c_str());

    RgbPalette palette;
    if (!ChoosePalette(options.palette, &palette))
        return 1;
    const DecodedPicture picture = DecodeSc0(b, kind, palette);
    if (!stbi_write_png(out, picture.width, picture.height, picture.channels, picture.pixels.data(),
            picture.width * picture.channels))
        return Fail("cannot write %s", out);
    std::printf(
        "wrote %s: %dx%d %s\n", out, picture.width, picture.height, picture.channels == 4 ? "RGBA" : "RGB");
    return 0;
}

int Decode(const Options& options)
{
    if (options.positional.size() != 2)
        return Usage();
    const char* in = options.positional[0];
    Bitmap b = {};
    const int32_t result = LoadBitmap(in, &b);
    if (result != 0)
        return Fail("%s cannot be loaded: %s (%d)", in, LoadResultText(result), result);
    const int status = DecodeLoaded(b, options);
    FreeBlock(b.pixels);
    return status;
}

int Encode(const Options& options)
{
    if (options.positional.size() != 2)
        return Usage();
    const char* in = options.positional[0];
    const char* out = options.positional[1];
    PictureKind kind;
    if (!options.kind)
        return Fail("encode needs --kind plain|floor|sprite");
    if (!ParseKind(options.kind, &kind))
        return Fail("unknown kind %s (plain, floor or sprite)", options.kind);
    if (!options.palette)
        return Fail("encode needs --palette PAL: the colours are chosen from it");
    RgbColour file[256];
    if (!LoadPalFile(options.palette, file))
        return Fail("cannot read palette %s", options.palette);
    const RgbPalette palette = MakeProgramPalette(file);

    // The size first, from the header alone: a picture this tool could not decode again is
    // refused before it is read.
    int width = 0, height = 0, channels = 0;
    if (!stbi_info(in, &width, &height, &channels))
        return Fail("cannot read %s as a picture: %s", in, stbi_failure_reason());
    if (width > 0xFFFF || height > 0xFFFF)
        return Fail("%s is %dx%d; a picture has at most 65535 columns and rows", in, width, height);
    if (kind == PictureKind::Floor && (width != 256 || height != 256))
        return Fail("%s is %dx%d; a floor texture is 256x256", in, width, height);
    if (!FitsPng(width, height, kind == PictureKind::Sprite ? 4 : 3))
        return Fail("%s is %dx%d, larger than a PNG this tool writes (at most %llu MiB of rows)", in, width,
            height, (unsigned long long)(LargestPngRowBytes >> 20));
    stbi_uc* rgba = stbi_load(in, &width, &height, &channels, 4);
    if (!rgba)
        return Fail("cannot read %s as a picture: %s", in, stbi_failure_reason());
    std::vector<uint8_t> pixels(rgba, rgba + size_t(width) * height * 4);
    stbi_image_free(rgba);

    const size_t count = size_t(width) * height;
    std::vector<uint8_t> indices(count);
    std::vector<uint8_t> opaque(count);
    std::unordered_map<uint32_t, uint8_t> chosen;
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* p = &pixels[i * 4];
        opaque[i] = p[3] >= 128;
        const uint32_t key = uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
        auto found = chosen.find(key);
        if (found == chosen.end())
            found = chosen.emplace(key, NearestColour(palette, { p[0], p[1], p[2] })).first;
        indices[i] = found->second;
    }
    const std::vector<uint8_t> payload = kind == PictureKind::Sprite
        ? EncodeSpriteRuns(uint16_t(width), uint16_t(height), indices, opaque)
        : indices;
    if (payload.size() > 0xFFFFFFFFu)
        return Fail("%s makes a payload of more than 4 GiB", in);
    if (!WriteFileBytes(out, MakeSc0(uint16_t(width), uint16_t(height), payload)))
        return Fail("cannot write %s", out);
    std::printf(
        "wrote %s: %s %dx%d, %zu payload bytes\n", out, KindName(kind), width, height, payload.size());
    return 0;
}

} // namespace

int Sc0Command(int argc, char** argv)
{
    if (argc < 1)
        return Usage();
    Options options;
    if (!ParseOptions(argc - 1, argv + 1, &options))
        return 2;
    if (std::strcmp(argv[0], "info") == 0)
        return Info(options);
    if (std::strcmp(argv[0], "decode") == 0)
        return Decode(options);
    if (std::strcmp(argv[0], "encode") == 0)
        return Encode(options);
    return Usage();
}
