// A fixture that puts the world's and the renderer's globals back after each test, and sets up a view.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

#include "render/bitmap.h"
#include "render/floor.h"
#include "render/trig.h"
#include "world/objects.h"
#include "world/viewpoint.h"

class WorldState : public ::testing::Test {
protected:
    WorldState()
    {
        std::copy_n(BitmapSlots, BitmapSlotCount, slots_);
        std::copy_n(SceneObjectTable, SceneObjectCount, objects_);
    }
    void TearDown() override
    {
        ViewPoint = view_, Projection = projection_, ViewTrig = trig_;
        ForwardAxis = TurnAxis = MotionAxis {};
        std::copy_n(slots_, BitmapSlotCount, BitmapSlots);
        std::copy_n(objects_, SceneObjectCount, SceneObjectTable);
        std::copy_n(corners_, 4, FloorCorners);
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
    Bitmap slots_[BitmapSlotCount];
    SceneObject objects_[SceneObjectCount];
    FloorCorner corners_[4] = { FloorCorners[0], FloorCorners[1], FloorCorners[2], FloorCorners[3] };
};
