// The engine world once loaded: frames, window messages and size changes.
#include <cmath>
#include <cstring>

#include "Vornel3D/C3DEngine.h"
#include "Vornel3D/C3DView.h"
#include "Vornel3D/CWorld.h"
#include "VornelPlatform/PlatformInput.h"
#include "VornelUtils/UtilsTimer.h"

namespace {

// Virtual key -> engine key code; every key not listed gives 0.
struct KeyTable {
    uint8_t codes[256] = {};

    KeyTable()
    {
        codes[VK_ESCAPE] = 1;
        for (uint32_t i = 0; i < 12; ++i)
            codes[VK_F1 + i] = static_cast<uint8_t>(2 + i);
        codes[VK_TAB] = 14;
        codes[VK_CAPITAL] = 15;
        codes[VK_SHIFT] = 16;
        codes[VK_CONTROL] = 17;
        codes[VK_LWIN] = 18;
        codes[VK_SPACE] = 20;
        codes[VK_RWIN] = 22;
        codes[VK_APPS] = 23;
        codes[VK_RETURN] = 26;
        codes[VK_BACK] = 27;
        codes[VK_INSERT] = 28;
        codes[VK_DELETE] = 29;
        codes[VK_HOME] = 30;
        codes[VK_END] = 31;
        codes[VK_PRIOR] = 32;
        codes[VK_NEXT] = 33;
        codes[VK_UP] = 34;
        codes[VK_RIGHT] = 35;
        codes[VK_DOWN] = 36;
        codes[VK_LEFT] = 37;
        codes[VK_NUMLOCK] = 38;
        codes[VK_DIVIDE] = 39;
        codes[VK_MULTIPLY] = 40;
        codes[VK_SUBTRACT] = 41;
        codes[VK_ADD] = 42;
        codes[VK_DECIMAL] = 44;
        for (uint32_t i = 0; i < 10; ++i) {
            codes['0' + i] = static_cast<uint8_t>(45 + i);
            codes[VK_NUMPAD0 + i] = static_cast<uint8_t>(55 + i);
        }
        codes[VK_OEM_102] = 66;
        codes[VK_OEM_6] = 67;
        codes[VK_OEM_1] = 68;
        codes[VK_OEM_3] = 69;
        codes[VK_OEM_5] = 70;
        codes[VK_OEM_COMMA] = 71;
        codes[VK_OEM_PERIOD] = 72;
        codes[VK_OEM_2] = 73;
        codes[VK_OEM_8] = 74;
        for (uint32_t i = 0; i < 26; ++i)
            codes['A' + i] = static_cast<uint8_t>(75 + i);
    }
};

const KeyTable kKeyTable;

void CountUp(uint8_t& count)
{
    if (count < 0xFF)
        ++count;
}

void ButtonDown(PlatformWindow* window, uint8_t& down, uint8_t& pressed)
{
    Platform_SetCapture(window);
    down = 1;
    pressed = 1;
}

// The capture stays while one of the two other buttons is still held.
void ButtonUp(uint8_t& down, uint8_t& released, uint8_t otherDown, uint8_t anotherDown)
{
    if (!otherDown && !anotherDown)
        Platform_ReleaseCapture();
    if (down)
        released = 1;
    down = 0;
}

}  // namespace

uint8_t CWorld_EngineKey(uintptr_t virtualKey)
{
    // wParam comes from outside: only codes inside the table index it.
    return virtualKey < sizeof kKeyTable.codes ? kKeyTable.codes[virtualKey] : 0;
}

void CWorld::ClearFrameInput()
{
    WorldData* w = m_pWorldData;
    std::memset(w->frameBlockA, 0, sizeof w->frameBlockA);
    std::memset(w->frameBlockB, 0, sizeof w->frameBlockB);
    w->leftReleased = w->middleReleased = w->rightReleased = 0;
    w->leftPressed = w->middlePressed = w->rightPressed = 0;
    std::memset(w->keyReleased, 0, sizeof w->keyReleased);
    std::memset(w->keyPressed, 0, sizeof w->keyPressed);
    w->releaseCount = 0;
    w->pressCount = 0;
    w->lastChar = 0;
}

Status CWorld::Frame()
{
    WorldData* w = m_pWorldData;
    if (!w)
        return kStatusFailed;
    w->inFrame = 1;
    if (w->minimised) {
        w->inFrame = 0;
        if (m_pTimerFactor)
            m_pTimerFactor->Update();
        return kStatusOk;
    }
    if (m_pTimerFactor)
        m_pTimerFactor->Update();
    if (Failed(Update())) {
        w->inFrame = 0;
        return kStatusFailed;
    }
    // A failed drawing does not fail the frame.
    if (w->canRender > 0 && m_p3DEngine && Succeeded(m_p3DEngine->BeginScene())) {
        Render();
        m_p3DEngine->EndScene();
    }
    w->inFrame = 0;
    ClearFrameInput();
    return kStatusOk;
}

Status CWorld::OnMessage(const PlatformMessage* pMessage)
{
    WorldData* w = m_pWorldData;
    if (!w || !pMessage)
        return kStatusFailed;
    // Positions are signed: while captured, the pointer may be left of or above the window.
    const float x = Platform_SignedLowWord(static_cast<uintptr_t>(pMessage->lParam));
    const float y = Platform_SignedHighWord(static_cast<uintptr_t>(pMessage->lParam));
    switch (pMessage->message) {
    case WM_KEYDOWN:
        if (!m_pInputModule) {
            const uint8_t k = CWorld_EngineKey(pMessage->wParam);
            w->keyDown[k] = 1;
            w->keyPressed[k] = 1;
            CountUp(w->pressCount);
        }
        break;
    case WM_KEYUP:
        if (!m_pInputModule) {
            const uint8_t k = CWorld_EngineKey(pMessage->wParam);
            // A key that went down before the window had the focus was never seen down.
            if (w->keyDown[k])
                w->keyReleased[k] = 1;
            w->keyDown[k] = 0;
            CountUp(w->releaseCount);
        }
        break;
    case WM_CHAR:
        w->lastChar = static_cast<char16_t>(pMessage->wParam & 0xFFFF);
        break;
    case WM_MOUSEMOVE:
        w->previousX = w->mouseX;
        w->previousY = w->mouseY;
        w->mouseX = x;
        w->mouseY = y;
        break;
    case WM_LBUTTONDOWN:
        ButtonDown(pMessage->window, w->leftDown, w->leftPressed);
        w->previousX = w->mouseX;
        w->previousY = w->mouseY;
        w->mouseX = x;
        w->mouseY = y;
        w->pressX = x;
        w->pressY = y;
        break;
    case WM_LBUTTONUP:
        ButtonUp(w->leftDown, w->leftReleased, w->middleDown, w->rightDown);
        break;
    case WM_RBUTTONDOWN:
        ButtonDown(pMessage->window, w->rightDown, w->rightPressed);
        break;
    case WM_RBUTTONUP:
        ButtonUp(w->rightDown, w->rightReleased, w->leftDown, w->middleDown);
        break;
    case WM_MBUTTONDOWN:
        ButtonDown(pMessage->window, w->middleDown, w->middlePressed);
        break;
    case WM_MBUTTONUP:
        ButtonUp(w->middleDown, w->middleReleased, w->leftDown, w->rightDown);
        break;
    default:
        break;
    }
    return kStatusFailed;
}

Status CWorld::Resize(int32_t realWidth, uint16_t realHeight, uint8_t applyViewport)
{
    WorldData* w = m_pWorldData;
    if (!w)
        return kStatusFailed;
    if (realWidth < 0)
        realWidth = 0;
    if (realWidth > 0xFFFF)
        realWidth = 0xFFFF;
    w->realWidth = static_cast<uint16_t>(realWidth);
    w->realHeight = realHeight;
    // Before the load there is no virtual size to compare with: the factors wait for it.
    if (w->virtualWidth)
        w->scaleX = static_cast<float>(static_cast<double>(w->realWidth) / w->virtualWidth);
    if (w->virtualHeight)
        w->scaleY = static_cast<float>(static_cast<double>(w->realHeight) / w->virtualHeight);
    w->scaleZ = 1.0f;
    if (applyViewport && m_p3DEngine) {
        if (C3DView* view = m_p3DEngine->GetView())
            view->SetViewport(0, 0, w->realWidth, w->realHeight);
    }
    if (w->canRender == 0)
        w->canRender = 2;
    return kStatusOk;
}

Status CWorld::Update()
{
    if (m_p3DEngine) {
        if (C3DView* view = m_p3DEngine->GetView())
            view->UpdateView();
    }
    return kStatusOk;
}

Status CWorld::Render()
{
    return kStatusOk;
}
