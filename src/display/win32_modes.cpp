// The start-up step for the display-mode catalogue.
#include "display/win32_display.h"

int32_t ModeCatalogueStatus = -1;

// The DirectDraw object and its catalogue of modes belong to the full-screen presenter,
// which the program does not have yet; the step keeps its place and its pairing.
int InitModeCatalogue()
{
    ModeCatalogueStatus = 0;
    return 0;
}

int FreeModeCatalogue()
{
    if (ModeCatalogueStatus != 0)
        return ModeCatalogueStatus;
    ModeCatalogueStatus = -1;
    return 0;
}
