// The panoramic backdrop: its placement in the viewport, the cleared bands around it and its copy.
#pragma once

#include <cstdint>

#include "render/bitmap.h"
#include "render/trig.h"

// Picture rows the backdrop can give: its height, or 0 when the record holds nothing a
// row copy may read (no pixels, fewer than 1024 columns, or a payload shorter than its
// rows). A backdrop of 0 rows leaves the whole viewport to the bands.
uint32_t BackdropRows(const Bitmap& backdrop);

// Vertical placement of the backdrop in a viewport of ProjZs rows.
struct BackdropPlacement {
    int32_t top; // t: viewport rows 0..t-1 are the top band (0: no top band)
    int32_t bottom; // b: rows b..ProjZs-1 are the bottom band (ProjZs: no bottom band)
    int32_t pictureRow; // first picture row copied, into viewport row t
    int32_t rows; // picture rows copied
};

// The placement for the current Projection.ProjZs. The full-screen presenter turns top and
// bottom into its two colour fills: the top band when top is not 0, the bottom band when
// bottom is below ProjZs.
BackdropPlacement PlaceBackdrop(const Bitmap& backdrop);

// Clears the bands of a top-down buffer whose rows lie pitch bytes apart, whole rows with
// their padding: the window presenter's bitmap section and the tools' frame buffers.
void ClearBandsInBuffer(uint8_t* pixels, int32_t pitch, const Bitmap& backdrop);

// How every viewport row of ProjXs bytes is cut into copies of the 1024 panorama columns.
struct BackdropRowSplit {
    int32_t column; // g: panorama column at the left edge
    int32_t firstBytes; // bytes from column g
    int32_t wholeCopies; // then copies of columns 0..1023
    int32_t restBytes; // then bytes from column 0
};

BackdropRowSplit SplitBackdropRow(int32_t angle, int32_t width);

// Copies the panorama slice that lies in ViewPoint.angle's direction into the target.
void DrawBackdrop(const Bitmap& backdrop, const FrameTarget& target);
