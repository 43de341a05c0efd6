// Process-wide settings, with the values that hold when fc.ini does not say otherwise.
#include "app/settings.h"

int32_t JumpToDX = 0;
int32_t WinGStyle = 1;
int32_t LastModeXs = 640;
int32_t LastModeZs = 480;
int32_t ScrUseXs = 320;
int32_t ScrUseZs = 240;
