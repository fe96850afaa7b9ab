#pragma once
// A window with the Direct3D 9 engine loaded on it, over a world data record set up as the
// world's load would leave it, and helpers to build screen quads and read the back buffer back
// through GetRenderTargetData.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <ostream>
#include <vector>

#include <d3d9.h>

#include "Vornel3D/C3DMath.h"
#include "Vornel3D/C3DObject.h"
#include "Vornel3D/C3DTexture.h"
#include "Vornel3D/C3DView.h"
#include "Vornel3D_DX9/C3DEngineDX90.h"
#include "Vornel3D_DX9/Module3D_DX9.h"
#include "VornelPlatform/PlatformWindow.h"
#include "VornelUtils/WorldData.h"

struct Rgb {
    uint8_t r, g, b;
};

inline bool operator==(const Rgb& x, const Rgb& y)
{
    return x.r == y.r && x.g == y.g && x.b == y.b;
}

inline std::ostream& operator<<(std::ostream& os, const Rgb& c)
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

class DX9EngineTest : public ::testing::Test {
protected:
    // Opens a window of this client size and loads the engine on it, then sets the display
    // up as the world's window code does.
    void Open(uint16_t width, uint16_t height)
    {
        m_world = std::make_unique<WorldData>();
        m_math = std::make_unique<C3DMath>(m_world.get());
        PrepareWorld(*m_world, m_math.get(), width, height);
        PlatformWindowDesc desc;
        desc.title = "Vornel3D_DX9 test";
        desc.width = width;
        desc.height = height;
        desc.visible = true;
        desc.openGL = false;
        m_window = Platform_CreateWindow(desc);
        ASSERT_NE(m_window, nullptr) << Platform_GetLastErrorText();
        m_world->pWindow = m_window;
        m_engine = static_cast<C3DEngineDX90*>(CreateModule3D_DX9(m_world.get()));
        ASSERT_NE(m_engine, nullptr);
        m_world->p3DEngine = m_engine;
        ASSERT_EQ(m_engine->Load(m_window), 0) << "last error " << std::hex << m_world->lastErrorCode;
        ASSERT_EQ(m_engine->Init(m_window, width, height, 0, 32, 0), 0);
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
        if (m_window)
            Platform_DestroyWindow(m_window);
    }

    IDirect3DDevice9* Device() const { return m_engine->GetDevice(); }

    // The back buffer, rows from the top, as 32-bit words 0xXXRRGGBB.
    std::vector<uint32_t> Frame()
    {
        std::vector<uint32_t> pixels;
        IDirect3DDevice9* device = Device();
        IDirect3DSurface9* target = nullptr;
        if (FAILED(device->GetRenderTarget(0, &target)))
            return pixels;
        D3DSURFACE_DESC desc;
        target->GetDesc(&desc);
        IDirect3DSurface9* copy = nullptr;
        if (SUCCEEDED(device->CreateOffscreenPlainSurface(desc.Width, desc.Height, desc.Format, D3DPOOL_SYSTEMMEM,
                                                          &copy, nullptr))) {
            D3DLOCKED_RECT locked;
            if (SUCCEEDED(device->GetRenderTargetData(target, copy)) &&
                SUCCEEDED(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
                pixels.resize(size_t(desc.Width) * desc.Height);
                for (UINT y = 0; y < desc.Height; ++y)
                    std::memcpy(&pixels[size_t(y) * desc.Width],
                                static_cast<const uint8_t*>(locked.pBits) + size_t(y) * locked.Pitch, desc.Width * 4);
                copy->UnlockRect();
            }
            copy->Release();
        }
        target->Release();
        return pixels;
    }

    // Pixel (x, y) counted from the top of the window.
    Rgb Pixel(int x, int y)
    {
        const std::vector<uint32_t> frame = Frame();
        if (frame.size() != size_t(m_width) * m_height || x < 0 || y < 0 || x >= m_width || y >= m_height)
            return Rgb{1, 2, 3};
        return Split(frame[size_t(y) * m_width + x]);
    }

    static Rgb Split(uint32_t word)
    {
        return Rgb{uint8_t(word >> 16), uint8_t(word >> 8), uint8_t(word)};
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
                        C3DTexture* texture, uint32_t faceMode = 1)
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
        quad->Unlock(1);
        return quad;
    }

    C3DObject* MakeQuad(uint32_t creation, float x, float y, float w, float h, uint32_t color, C3DTexture* texture,
                        uint32_t faceMode = 1)
    {
        const uint32_t colors[4] = {color, color, color, color};
        return MakeQuad(creation, x, y, w, h, colors, texture, faceMode);
    }

    std::unique_ptr<WorldData> m_world;
    std::unique_ptr<C3DMath> m_math;
    PlatformWindow* m_window = nullptr;
    C3DEngineDX90* m_engine = nullptr;
    int m_width = 0;
    int m_height = 0;
};
