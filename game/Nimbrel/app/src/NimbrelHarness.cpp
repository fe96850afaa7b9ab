#include "NimbrelHarness.h"

#include "Vornel3D_GL/Module3D_GL.h"

#include "VornelPlatform/PlatformGL.h"
#include "VornelPlatform/PlatformPump.h"
#include "VornelPlatform/PlatformWindow.h"

namespace {

// The two OpenGL calls of a read-back, found at run time: the program itself draws only
// through the renderer module.
constexpr uint32_t kGLBack = 0x0405;
constexpr uint32_t kGLRGBA = 0x1908;
constexpr uint32_t kGLUnsignedByte = 0x1401;
using ReadBufferFn = void (*)(uint32_t);
using ReadPixelsFn = void (*)(int32_t, int32_t, int32_t, int32_t, uint32_t, uint32_t, void*);

}  // namespace

NimbrelStartOptions NimbrelHarness::DefaultOptions()
{
    NimbrelStartOptions options;
    options.commandLine.empty = false;
    options.commandLine.text = "--harness";
    options.forceWindow = true;
    options.manualFrames = true;
    // The pictures are read back through OpenGL: the harness plays on the GL renderer.
    options.commandLine.renderer = kModule3DId_GL;
    return options;
}

NimbrelHarness::NimbrelHarness(const NimbrelStartOptions& options) : m_options(options) {}

NimbrelHarness::~NimbrelHarness()
{
    Stop();
}

int NimbrelHarness::Start()
{
    m_started = true;
    const int status = NimbrelStartUp(m_session, m_options);
    if (status == 0 && !m_playSplash && State() == kGameStateSplash)
        m_session.world->Skip(0);
    return status;
}

bool NimbrelHarness::Step(uint32_t frames)
{
    for (uint32_t i = 0; i < frames; ++i)
        if (!NimbrelRunOnce(m_session))
            return false;
    return true;
}

int NimbrelHarness::Stop()
{
    if (!m_started || m_stopped)
        return 0;
    m_stopped = true;
    return m_session.world ? NimbrelShutdown(m_session) : -1;
}

void NimbrelHarness::Post(uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    if (m_session.window)
        Platform_PostMessage(m_session.window, message, wParam, lParam);
}

void NimbrelHarness::PostKey(uint32_t virtualKey)
{
    Post(WM_KEYDOWN, virtualKey, 1);
    Post(WM_KEYUP, virtualKey, static_cast<intptr_t>(1u | KF_PREVIOUS_DOWN_BIT | KF_UP_BIT));
}

void NimbrelHarness::PostCharacter(char16_t character)
{
    Post(WM_CHAR, character, 1);
}

void NimbrelHarness::PostClick(int32_t x, int32_t y)
{
    const intptr_t position = Platform_MakeLParam(x, y);
    Post(WM_MOUSEMOVE, 0, position);
    Post(WM_LBUTTONDOWN, MK_LBUTTON, position);
    Post(WM_LBUTTONUP, 0, position);
}

bool NimbrelHarness::ReadPixel(int32_t x, int32_t y, uint32_t* pColor)
{
    int32_t width = 0, height = 0;
    if (!pColor || !m_session.window || !Platform_GL_GetDrawableSize(m_session.window, &width, &height) ||
        x < 0 || y < 0 || x >= width || y >= height)
        return false;
    auto readBuffer = reinterpret_cast<ReadBufferFn>(Platform_GL_GetProcAddress("glReadBuffer"));
    auto readPixels = reinterpret_cast<ReadPixelsFn>(Platform_GL_GetProcAddress("glReadPixels"));
    if (!readBuffer || !readPixels)
        return false;
    uint8_t rgba[4] = {};
    // The back buffer keeps the frame last drawn after the swap (Mesa copies it); the front
    // buffer of a window without a compositor reads black under Xvfb.
    readBuffer(kGLBack);
    readPixels(x, height - 1 - y, 1, 1, kGLRGBA, kGLUnsignedByte, rgba);  // rows come bottom-up
    *pColor = (uint32_t(rgba[3]) << 24) | (uint32_t(rgba[0]) << 16) | (uint32_t(rgba[1]) << 8) | rgba[2];
    return true;
}
