#pragma once
// A window with the OpenGL engine loaded on it, over a world data record set up as the
// world's load would leave it, and helpers to build screen quads and read pixels back.
#include <gtest/gtest.h>

#include <GL/glew.h>

#include <cstdlib>
#include <memory>
#include <vector>

#include "Vornel3D/C3DMath.h"
#include "Vornel3D/C3DObject.h"
#include "Vornel3D/C3DTexture.h"
#include "Vornel3D/C3DView.h"
#include "Vornel3D_GL/C3DEngine_GL.h"
#include "Vornel3D_GL/Module3D_GL.h"
#include "VornelPlatform/PlatformWindow.h"
#include "VornelUtils/WorldData.h"

inline bool HaveGLDisplay()
{
    const char* display = std::getenv("DISPLAY");
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    if ((!display || !*display) && (!driver || !*driver))
        return false;
    return Platform_HasDisplay();
}

struct Rgba {
    uint8_t r, g, b, a;
};

inline bool operator==(const Rgba& x, const Rgba& y)
{
    return x.r == y.r && x.g == y.g && x.b == y.b;
}

inline std::ostream& operator<<(std::ostream& os, const Rgba& c)
{
    return os << "(" << int(c.r) << ", " << int(c.g) << ", " << int(c.b) << ")";
}

// The world data record of a loaded world, without the world: display size, unit scale,
// camera and screen planes, depth and alpha switches on, lights and fog off.
inline void PrepareWorld(WorldData& w, C3DMath* math, uint16_t width, uint16_t height)
{
    w.pMath = math;
    w.scaleX = w.scaleY = w.scaleZ = 1.0f;
    w.virtualWidth = w.realWidth = width;
    w.virtualHeight = w.realHeight = height;
    w.colorDepth = 32;
    w.orientation = 1;
    w.canRender = 1;
    w.nearDistance = 1.0f;
    w.farDistance = 20000.0f;
    w.nearDistanceScreen = -1000.0f;
    w.farDistanceScreen = 1000.0f;
    w.fieldOfView = 45.0f;
    w.renderPair = {1, 1};
    w.alpha = {1, 1};
    w.pointSpriteMax = 100.0f;
    w.dataPathWord = -1;
    for (float* m : {w.matrix1, w.matrix2, w.matrixCameraInitial, w.matrixCamera, w.matrix5})
        math->SetIdentity(m);
}

class GLEngineTest : public ::testing::Test {
protected:
    // Opens a window of this client size and loads the engine on it.
    void Open(uint16_t width, uint16_t height)
    {
        if (!HaveGLDisplay())
            GTEST_SKIP() << "needs a display (run under xvfb-run)";
        m_world = std::make_unique<WorldData>();
        m_math = std::make_unique<C3DMath>(m_world.get());
        PrepareWorld(*m_world, m_math.get(), width, height);
        PlatformWindowDesc desc;
        desc.title = "Vornel3D_GL test";
        desc.width = width;
        desc.height = height;
        desc.visible = true;
        m_window = Platform_CreateWindow(desc);
        ASSERT_NE(m_window, nullptr) << Platform_GetLastErrorText();
        m_engine = static_cast<C3DEngine_GL*>(CreateModule3D_GL(m_world.get()));
        ASSERT_NE(m_engine, nullptr);
        ASSERT_EQ(m_engine->Load(m_window), 0) << "last error " << std::hex << m_world->lastErrorCode;
        m_engine->GetView()->ResetView();
        m_engine->GetView()->ComputeProjection();
        m_width = width;
        m_height = height;
    }

    void TearDown() override
    {
        if (m_engine) {
            m_engine->Unload();
            delete m_engine;
        }
        Platform_DestroyWindow(m_window);
    }

    // Pixel (x, y) counted from the top of the window, read from the back buffer.
    Rgba Pixel(int x, int y)
    {
        Rgba c{};
        glReadPixels(x, m_height - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, &c);
        return c;
    }

    // Rows from the top, each width RGBA pixels.
    std::vector<Rgba> Block(int x, int y, int width, int height)
    {
        std::vector<Rgba> rows(size_t(width) * height);
        for (int j = 0; j < height; ++j)
            glReadPixels(x, m_height - 1 - (y + j), width, 1, GL_RGBA, GL_UNSIGNED_BYTE, &rows[size_t(j) * width]);
        return rows;
    }

    // A texture from raw pixels (rows bottom-up).
    C3DTexture* MakeTexture(uint32_t flags, uint32_t second, uint16_t width, uint16_t height, uint8_t depth,
                            const std::vector<uint8_t>& pixels)
    {
        C3DTexture* texture = m_engine->CreateTexture(flags, second);
        EXPECT_NE(texture, nullptr);
        if (texture) {
            EXPECT_EQ(texture->MakeFromRaw(width, height, depth, pixels.data(), u"test.raw"), 0);
        }
        return texture;
    }

    // A screen quad (one strip group, clockwise on screen) from (x, y) to (x + w, y + h) with
    // texture coordinates (0, 0) at the top left and (1, 1) at the bottom right. The colours
    // go to the top-left, top-right, bottom-left and bottom-right corners.
    C3DObject* MakeQuad(uint32_t creation, float x, float y, float w, float h, const uint32_t colors[4],
                        C3DTexture* texture, uint32_t faceMode = 1, uint32_t rebuild = 1)
    {
        C3DObject* quad = m_engine->CreateObject(0x10, creation);
        EXPECT_NE(quad, nullptr);
        if (!quad)
            return nullptr;
        EXPECT_EQ(quad->Create(1, 4, 4), 0);
        quad->Lock(0, 2);
        quad->ResetIndices();
        quad->SetVertex(0, x, y, 0, colors[0], 0, 0, 0, 0, 0, 0);
        quad->SetVertex(1, x + w, y, 0, colors[1], 1, 0, 0, 0, 0, 0);
        quad->SetVertex(2, x, y + h, 0, colors[2], 0, 1, 0, 0, 0, 0);
        quad->SetVertex(3, x + w, y + h, 0, colors[3], 1, 1, 0, 0, 0, 0);
        quad->SetGroup(0, 0, 4, 0, 4, 2, 0, faceMode, 0xFFFFFFFFu);
        if (texture)
            quad->SetTexture(texture, 0, 0);
        quad->Unlock(rebuild);
        return quad;
    }

    C3DObject* MakeQuad(uint32_t creation, float x, float y, float w, float h, uint32_t color, C3DTexture* texture,
                        uint32_t faceMode = 1, uint32_t rebuild = 1)
    {
        const uint32_t colors[4] = {color, color, color, color};
        return MakeQuad(creation, x, y, w, h, colors, texture, faceMode, rebuild);
    }

    std::unique_ptr<WorldData> m_world;
    std::unique_ptr<C3DMath> m_math;
    PlatformWindow* m_window = nullptr;
    C3DEngine_GL* m_engine = nullptr;
    int m_width = 0;
    int m_height = 0;
};
