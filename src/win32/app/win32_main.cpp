// The Windows entry point.
#include "win32/app/win32_program.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    return QuarvelMain(instance);
}
