// A fixture that puts the world's and the renderer's globals back after each test, and sets up a view.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>

#include "render/bitmap.h"
#include "render/floor.h"
#include "render/trig.h"
#include "world/objects.h"
#include "world/viewpoint.h"

class WorldState : public ::testing::Test {
protected:
    void TearDown() override
    {
        ViewPoint = view_, Projection = projection_, ViewTrig = trig_;
        ForwardAxis = TurnAxis = MotionAxis {};
        std::copy(slots_.begin(), slots_.end(), BitmapSlots);
        std::copy(objects_.begin(), objects_.end(), SceneObjectTable);
        std::copy(corners_.begin(), corners_.end(), FloorCorners);
    }
    // Viewer, viewport and ProjDs; the view's sine and cosine and the floor corners follow.
    static void SetView(int32_t x, int32_t y, int32_t height, int32_t angle, int32_t width = 320,
        int32_t rows = 240, int32_t ds = 160)
    {
        ViewPoint.x = x, ViewPoint.y = y, ViewPoint.height = height, ViewPoint.angle = angle;
        Projection = ProjectionValues { ds, width, rows, 0, 0, 0, 0 };
        SetProjectionBounds(), ComputeViewTrig(), TransformFloorCorners();
    }

private:
    ViewPointRecord view_ = ViewPoint;
    ProjectionValues projection_ = Projection;
    ViewTrigValues trig_ = ViewTrig;
    std::array<Bitmap, BitmapSlotCount> slots_ = std::to_array(BitmapSlots);
    std::array<SceneObject, SceneObjectCount> objects_ = std::to_array(SceneObjectTable);
    std::array<FloorCorner, 4> corners_ = std::to_array(FloorCorners);
};
