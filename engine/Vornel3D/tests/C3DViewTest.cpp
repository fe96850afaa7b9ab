#include "Vornel3D/C3DView.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <memory>

#include "Vornel3D/C3DMath.h"
#include "VornelUtils/WorldData.h"

namespace {

// Records what a renderer's view would hand to the device.
class RecordingView : public C3DView {
public:
    using C3DView::C3DView;
    Status ApplyPerspective() override {
        ++perspectiveCalls;
        return kStatusOk;
    }
    Status SetViewport(int32_t x, int32_t y, int32_t width, int32_t height) override {
        viewport[0] = x;
        viewport[1] = y;
        viewport[2] = width;
        viewport[3] = height;
        ++viewportCalls;
        return kStatusOk;
    }
    int perspectiveCalls = 0;
    int viewportCalls = 0;
    int32_t viewport[4] = {-1, -1, -1, -1};
};

class C3DViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        world = std::make_unique<WorldData>();
        world->pMath = &math;
        world->virtualWidth = 1024;
        world->virtualHeight = 768;
        world->realWidth = 2048;
        world->realHeight = 1536;
        world->fieldOfView = 45.0f;
        world->nearDistance = 1.0f;
        world->farDistance = 20000.0f;
        world->nearDistanceScreen = -1000.0f;
        world->farDistanceScreen = 1000.0f;
        view = std::make_unique<RecordingView>(world.get());
    }

    // Clip-space x, y, z (after the division by w) of a screen-space point.
    C3DVector4 Screen(float x, float y, float z) {
        C3DVector4 q;
        math.Vec4Transform(&q, x, y, z, 1.0f, world->matrix2);
        return q;
    }

    C3DMath math{nullptr};
    std::unique_ptr<WorldData> world;
    std::unique_ptr<RecordingView> view;
};

TEST_F(C3DViewTest, ConstructionState) {
    EXPECT_EQ(1u, view->GetOrientation());
    EXPECT_EQ(0.0f, view->GetOrientationAngle());
    EXPECT_FALSE(view->IsSwapped());
    C3DView plain(world.get());
    EXPECT_EQ(kStatusOk, plain.Init());
    EXPECT_EQ(kStatusOk, plain.SetGammaRamp());
    EXPECT_EQ(kStatusOk, plain.SetScissor(1, 2, 3, 4));
    EXPECT_EQ(kStatusOk, plain.DisableScissor());
    EXPECT_EQ(kStatusOk, plain.Release());
}

TEST_F(C3DViewTest, PerspectiveProjection) {
    ASSERT_EQ(kStatusOk, view->ComputeProjection());
    EXPECT_FLOAT_EQ(1024.0f / 768.0f, world->aspectRatio);
    EXPECT_EQ(1, view->perspectiveCalls);

    const float* p = world->matrix1;
    const float top = std::tan(static_cast<float>(45.0 * 0.017453292522222223) / 2.0f);
    EXPECT_FLOAT_EQ(1.0f / top, p[5]);
    EXPECT_FLOAT_EQ(1.0f / (top * 1024.0f / 768.0f), p[0]);
    EXPECT_FLOAT_EQ(20001.0f / 19999.0f, p[10]);
    EXPECT_FLOAT_EQ(1.0f, p[11]);
    EXPECT_FLOAT_EQ(-40000.0f / 19999.0f, p[14]);
    EXPECT_EQ(0.0f, p[15]);

    // Upside down: the same matrix turned half a turn about Z.
    view->SetOrientationAngle(2);
    EXPECT_NEAR(-1.0f / top, world->matrix1[5], 1e-5f);
}

TEST_F(C3DViewTest, ScreenProjectionMapsTheDisplayOntoClipSpace) {
    ASSERT_EQ(kStatusOk, view->ComputeProjection());
    struct Case {
        float x, y, expectedX, expectedY;
    };
    const Case cases[] = {{0, 0, -1, 1}, {1024, 768, 1, -1}, {512, 384, 0, 0}, {1024, 0, 1, 1}};
    for (const Case& k : cases) {
        C3DVector4 q = Screen(k.x, k.y, 0.0f);
        EXPECT_NEAR(k.expectedX, q.x, 1e-6f) << k.x << "," << k.y;
        EXPECT_NEAR(k.expectedY, q.y, 1e-6f) << k.x << "," << k.y;
        EXPECT_EQ(1.0f, q.w);
    }
    // Depth: screen near to far covers [0, 1]; objects far below z = 0 are not clipped.
    EXPECT_NEAR(0.5f, Screen(0, 0, 0).z, 1e-6f);
    EXPECT_NEAR(0.0f, Screen(0, 0, -1000).z, 1e-6f);
    EXPECT_NEAR(1.0f, Screen(0, 0, 1000).z, 1e-6f);
    EXPECT_EQ(1.0f, Screen(0, 0, -500).w);
}

TEST_F(C3DViewTest, SetOrientationExchangesTheDisplaySizeOnce) {
    ASSERT_EQ(kStatusOk, view->SetOrientation(3));
    EXPECT_EQ(768, world->virtualWidth);
    EXPECT_EQ(1024, world->virtualHeight);
    EXPECT_TRUE(view->IsSwapped());
    EXPECT_EQ(3u, view->GetOrientation());
    EXPECT_EQ((std::array<int32_t, 4>{0, 0, 768, 1024}),
              (std::array<int32_t, 4>{view->viewport[0], view->viewport[1], view->viewport[2], view->viewport[3]}));

    ASSERT_EQ(kStatusOk, view->SetOrientation(3));
    EXPECT_EQ(768, world->virtualWidth);
    ASSERT_EQ(kStatusOk, view->SetOrientation(4));
    EXPECT_EQ(768, world->virtualWidth);
    EXPECT_EQ(1024, world->virtualHeight);

    ASSERT_EQ(kStatusOk, view->SetOrientation(1));
    EXPECT_EQ(1024, world->virtualWidth);
    EXPECT_EQ(768, world->virtualHeight);
    EXPECT_FALSE(view->IsSwapped());
    ASSERT_EQ(kStatusOk, view->SetOrientation(2));
    EXPECT_EQ(1024, world->virtualWidth);

    // An unknown mode changes nothing.
    const int calls = view->viewportCalls;
    EXPECT_EQ(kStatusFailed, view->SetOrientation(5));
    EXPECT_EQ(2u, view->GetOrientation());
    EXPECT_EQ(calls, view->viewportCalls);
}

TEST_F(C3DViewTest, QuarterTurnScreenProjectionCentresTheAuthoredSpace) {
    // The display turned a quarter: the game still authors in 1024 x 768.
    ASSERT_EQ(kStatusOk, view->SetOrientation(3));
    EXPECT_FLOAT_EQ(-1.5707964f, view->SetOrientationAngle(3));
    C3DVector4 centre = Screen(512, 384, 0);
    EXPECT_NEAR(0.0f, centre.x, 1e-5f);
    EXPECT_NEAR(0.0f, centre.y, 1e-5f);
    // The corners of the authored space land on the corners of clip space.
    for (float x : {0.0f, 1024.0f}) {
        for (float y : {0.0f, 768.0f}) {
            C3DVector4 q = Screen(x, y, 0);
            EXPECT_NEAR(1.0f, std::fabs(q.x), 1e-5f) << x << "," << y;
            EXPECT_NEAR(1.0f, std::fabs(q.y), 1e-5f) << x << "," << y;
        }
    }
}

TEST_F(C3DViewTest, SetOrientationAngle) {
    struct Case {
        uint32_t mode;
        float angle;
    };
    const Case cases[] = {{2, 3.1415927f}, {4, 1.5707964f}, {3, -1.5707964f}, {1, 0.0f}};
    for (const Case& k : cases) {
        EXPECT_EQ(k.angle, view->SetOrientationAngle(k.mode));
        EXPECT_EQ(k.angle, view->GetOrientationAngle());
    }
    EXPECT_EQ(2048, world->realWidth);

    view->SetOrientationAngle(4);
    view->SetOrientationAngle(3);
    EXPECT_EQ(1536, world->realWidth);
    EXPECT_EQ(2048, world->realHeight);
    view->SetOrientationAngle(2);
    EXPECT_EQ(2048, world->realWidth);
    EXPECT_EQ(3.1415927f, view->SetOrientationAngle(7));  // unknown: the angle stays
}

TEST_F(C3DViewTest, ViewIsTheInverseCamera) {
    math.SetIdentity(world->matrixCameraInitial);
    math.RotateY(world->matrixCameraInitial, 0.5f);
    math.Translate(world->matrixCameraInitial, 0, 0, -10);
    ASSERT_EQ(kStatusOk, view->UpdateView());
    float product[16];
    math.Multiply(product, world->matrixCameraInitial, world->matrixCamera);
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(i % 5 == 0 ? 1.0f : 0.0f, product[i], 1e-5f) << i;

    ASSERT_EQ(kStatusOk, view->ResetView());
    EXPECT_TRUE(math.IsIdentity(world->matrixCameraInitial));
    EXPECT_TRUE(math.IsIdentity(world->matrixCamera));
}

TEST_F(C3DViewTest, WindowViewportAndMissingDisplay) {
    ASSERT_EQ(kStatusOk, view->ApplyWindowViewport());
    EXPECT_EQ(2048, view->viewport[2]);
    EXPECT_EQ(1536, view->viewport[3]);

    world->virtualHeight = 0;
    world->matrix1[0] = 42.0f;
    EXPECT_EQ(kStatusFailed, view->ComputeProjection());
    EXPECT_EQ(42.0f, world->matrix1[0]);

    RecordingView detached(nullptr);
    EXPECT_EQ(kStatusFailed, detached.ComputeProjection());
    EXPECT_EQ(kStatusFailed, detached.UpdateView());
    EXPECT_EQ(kStatusFailed, detached.SetOrientation(3));
}

}  // namespace
