// The DirectDraw object and the catalogue of the display modes its driver offers.
#include "win32/display/win32_display.h"

#include "base/alloc.h"
#include "base/sys.h"

int32_t ModeCatalogueStatus = -1;
IDirectDraw* DirectDrawObject = nullptr;
DDSURFACEDESC* ModeCatalogue = nullptr;
int32_t ModeCount = 0;
HRESULT(WINAPI* DirectDrawCreateFunction)(GUID*, IDirectDraw**, IUnknown*) = DirectDrawCreate;

namespace {

// The catalogue and the temporary file hold the descriptions exactly as the driver gave them:
// 108 bytes each in the 32-bit program, larger in the 64-bit one (the surface pointer).
constexpr DWORD ModeRecordSize = sizeof(DDSURFACEDESC);
static_assert(
    sizeof(void*) != 4 || ModeRecordSize == 108, "a mode record is one 108-byte surface description");

const char ModeFileName[] = "zqx_TEMP.XQZ";

// The enumeration callback: one record per mode, appended to the file whose handle the
// context points to. The enumeration always runs to its end.
HRESULT WINAPI WriteModeRecord(DDSURFACEDESC* description, void* context)
{
    DWORD written = 0;
    WriteFile(*static_cast<HANDLE*>(context), description, ModeRecordSize, &written, nullptr);
    return DDENUMRET_OK;
}

void ReleaseDirectDraw()
{
    DirectDrawObject->Release();
    DirectDrawObject = nullptr;
}

} // namespace

// The number of modes is open until the enumeration ends, so the records go to a file
// first; its size then gives one allocation of exactly the right length.
int InitModeCatalogue()
{
    const HRESULT created = DirectDrawCreateFunction(nullptr, &DirectDrawObject, nullptr);
    if (created != DD_OK) {
        DirectDrawObject = nullptr;
        SysMessageBox(DDErrorText(uint32_t(created)), "DirectDraw Error");
        return -1;
    }

    // The file deletes itself when closed, so no path out of here leaves it behind.
    HANDLE file = CreateFileA(ModeFileName, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
        FILE_FLAG_DELETE_ON_CLOSE | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        ReleaseDirectDraw();
        SysMessageBox("can't open temporary file", "initialization error");
        return -1;
    }

    const HRESULT enumerated = DirectDrawObject->EnumDisplayModes(0, nullptr, &file, WriteModeRecord);
    if (enumerated != DD_OK) {
        const char* text = DDErrorText(uint32_t(enumerated));
        CloseHandle(file);
        ReleaseDirectDraw();
        SysMessageBox(text, "DirectDraw Error");
        return -2;
    }

    DWORD size = GetFileSize(file, nullptr);
    if (size == INVALID_FILE_SIZE)
        size = 0;
    // No mode at all is as useless to the launcher as no memory: both refuse the start.
    void* records = size != 0 ? AllocBlock(size) : nullptr;
    if (!records) {
        CloseHandle(file);
        ReleaseDirectDraw();
        SysMessageBox("can't allocate memory", "initialization error");
        return -3;
    }

    SetFilePointer(file, 0, nullptr, FILE_BEGIN);
    DWORD read = 0;
    ReadFile(file, records, size, &read, nullptr);
    CloseHandle(file);
    ModeCatalogue = static_cast<DDSURFACEDESC*>(records);
    ModeCount = int32_t(size / ModeRecordSize);
    ModeCatalogueStatus = 0;
    return 0;
}

int FreeModeCatalogue()
{
    if (ModeCatalogueStatus != 0)
        return ModeCatalogueStatus;
    FreeBlock(ModeCatalogue);
    ModeCatalogue = nullptr;
    ModeCount = 0;
    ReleaseDirectDraw();
    ModeCatalogueStatus = -1;
    return 0;
}

const DDSURFACEDESC* CatalogueEntry(int32_t index)
{
    return ModeCatalogue && index >= 0 && index < ModeCount ? &ModeCatalogue[index] : nullptr;
}
