#include "OffscreenRenderer.h"

#include <cstdlib>
#include <vector>

#include "Vornel3D/C3DEngine.h"
#include "Vornel3D/C3DMath.h"
#include "Vornel3D/C3DTextureRaw.h"
#include "Vornel3D/C3DView.h"
#include "Vornel3D_GL/Module3D_GL.h"
#include "VornelPlatform/PlatformGL.h"
#include "VornelPlatform/PlatformWindow.h"
#include "VornelUtils/RegisterModules.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

namespace {

// The two OpenGL calls of a read-back, found at run time: the tool draws only through the
// renderer module.
constexpr uint32_t kGLBack = 0x0405;
constexpr uint32_t kGLRGBA = 0x1908;
constexpr uint32_t kGLUnsignedByte = 0x1401;
using ReadBufferFn = void (*)(uint32_t);
using ReadPixelsFn = void (*)(int32_t, int32_t, int32_t, int32_t, uint32_t, uint32_t, void*);

// What a loaded world leaves in its record for screen drawing: the display at one virtual
// unit a pixel, the screen planes, alpha and depth switches on, lights and fog off.
void PrepareWorld(WorldData& w, C3DMath& math, uint16_t width, uint16_t height)
{
    w.pMath = &math;
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
        math.SetIdentity(m);
}

}  // namespace

COffscreenRenderer::COffscreenRenderer() = default;

COffscreenRenderer::~COffscreenRenderer()
{
    if (m_engine) {
        m_engine->Unload();
        m_world->selected[kModule3D].pfnDestroy(m_engine);
    }
    Platform_DestroyWindow(m_window);
    if (m_world)
        UnregisterModules(m_world.get());
}

bool COffscreenRenderer::Open(uint16_t width, uint16_t height, std::string& error)
{
    const char* display = std::getenv("DISPLAY");
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    if ((!display || !*display) && (!driver || !*driver))
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
    m_world = std::make_unique<WorldData>();
    m_math = std::make_unique<C3DMath>(m_world.get());
    PrepareWorld(*m_world, *m_math, width, height);
    PlatformWindowDesc desc;
    desc.title = "vornel";
    desc.width = width;
    desc.height = height;
    m_window = Platform_CreateWindow(desc);
    if (!m_window) {
        error = std::string("cannot open a window: ") + Platform_GetLastErrorText();
        return false;
    }
    if (Failed(RegisterModule3D_GL(m_world.get())) || Failed(ValidPlatform(kModule3DId_GL, 0, 0, 0, m_world.get())) ||
        !m_world->selected[kModule3D].pfnCreate) {
        error = "the GL renderer is not available";
        return false;
    }
    m_engine = static_cast<C3DEngine*>(m_world->selected[kModule3D].pfnCreate(m_world.get()));
    if (!m_engine || Failed(m_engine->Load(m_window))) {
        error = "the GL renderer does not start";
        return false;
    }
    m_engine->GetView()->ResetView();
    m_engine->GetView()->ComputeProjection();
    m_width = width;
    m_height = height;
    return true;
}

void COffscreenRenderer::BeginFrame(uint32_t clearColor)
{
    m_world->colorClear = clearColor;
    m_engine->BeginScene();
}

Status COffscreenRenderer::SavePicture(const std::string& path)
{
    auto readBuffer = reinterpret_cast<ReadBufferFn>(Platform_GL_GetProcAddress("glReadBuffer"));
    auto readPixels = reinterpret_cast<ReadPixelsFn>(Platform_GL_GetProcAddress("glReadPixels"));
    if (!readBuffer || !readPixels)
        return kStatusFailed;
    std::vector<uint8_t> pixels(size_t(m_width) * m_height * 4);
    readBuffer(kGLBack);
    // Rows come bottom-up, as raw images keep them.
    readPixels(0, 0, m_width, m_height, kGLRGBA, kGLUnsignedByte, pixels.data());
    for (size_t i = 3; i < pixels.size(); i += 4)
        pixels[i] = 0xFF;
    C3DTextureRaw image(m_world.get());
    if (Failed(image.SetPixelsCopy(m_width, m_height, 32, pixels.data())))
        return kStatusOutOfMemory;
    return image.SaveToFile(UtilsString_FromUtf8(path.c_str()).c_str(), false);
}
