// Process-wide settings, with the values that hold when fc.ini does not say otherwise.
#include "base/settings.h"

int32_t JumpToDX = 0;
int32_t WinGStyle = 1;
int32_t LastModeXs = 640;
int32_t LastModeZs = 480;
int32_t ScrUseXs = 320;
int32_t ScrUseZs = 240;

char* ConfigPath = nullptr;
int32_t ConfigStatus = -1;
