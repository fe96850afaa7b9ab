// The screenshot overlay: its texture and quads, the frame copy and the fade.
#include "Vornel3D_ToolBox/CScreenshot.h"

#include <initializer_list>
#include <memory>
#include <new>
#include <utility>

#include "Vornel3D/C3DEngine.h"
#include "Vornel3D/C3DObject.h"
#include "Vornel3D/C3DObjectIndex.h"
#include "Vornel3D/C3DTexture.h"
#include "Vornel3D/C3DView.h"
#include "VornelUtils/PowerOfTwo.h"
#include "VornelUtils/UtilsLog.h"
#include "VornelUtils/UtilsParameters.h"
#include "VornelUtils/WorldData.h"

namespace {

constexpr uint32_t kTextureKind = 1;
constexpr uint32_t kTextureFlags = 0x52;
constexpr uint32_t kScreenObjectFlags = 0x28010;
constexpr uint32_t kScreenObjectCreation = 0x20C29;
constexpr uint32_t kQuadFaceMode = 1;
constexpr float kDefaultFadeSpeed = 0.075f;

// The renderers whose frame copies are made at power-of-two sizes: GL, 0x1000040, GLES,
// GLES2, PSGL, PSPGU, FLASH, FLASH3D.
constexpr uint32_t kPowerOfTwoRenderers[] = {0x1000020, 0x1000040, 0x1000080, 0x1000100,
                                             0x1000400, 0x1000800, 0x1001000, 0x1002000};

bool IsQuarterTurn(uint32_t orientation)
{
    return orientation == 3 || orientation == 4;
}

}  // namespace

CScreenshot::CScreenshot(WorldData* pWorldData) : CManagedObject(pWorldData) {}

CScreenshot::~CScreenshot()
{
    Unload();
}

bool CScreenshot::RoundsToPowerOfTwo() const
{
    const ModuleDescriptor* renderer = m_pWorldData ? m_pWorldData->selected[kModule3D].pDescriptor : nullptr;
    if (!renderer)
        return false;
    for (uint32_t mask : kPowerOfTwoRenderers)
        if ((renderer->mask & mask) == mask)
            return true;
    return false;
}

Status CScreenshot::Unload()
{
    C3DEngine* engine = C3DEngine::FromWorld(m_pWorldData);
    if (engine) {
        if (m_pObject)
            engine->ReleaseObject(m_pObject);
        if (m_pTexture)
            engine->ReleaseTexture(m_pTexture, 1);
        if (m_pPresentedFrame) {
            if (engine->GetPresentedFrameCopy() == m_pPresentedFrame)
                engine->SetPresentedFrameCopy(nullptr);
            engine->ReleaseTexture(m_pPresentedFrame, 1);
        }
    }
    m_pObject = nullptr;
    m_pTexture = nullptr;
    m_pPresentedFrame = nullptr;
    m_nShownFrame = ~0u;
    return kStatusOk;
}

Status CScreenshot::LoadParameters(uint32_t resourceMode)
{
    m_nResourceMode = resourceMode;
    C3DEngine* engine = C3DEngine::FromWorld(m_pWorldData);
    if (!engine)
        return kStatusFailed;
    m_fFadeSpeed = m_pWorldData->pAppSettings
                       ? m_pWorldData->pAppSettings->GetFloat(u"TEXTURES", u"SCREENSHOT_FADE_RATIO_SPEED",
                                                             kDefaultFadeSpeed)
                       : kDefaultFadeSpeed;
    Unload();
    m_pTexture = engine->CreateTexture(kTextureKind, kTextureFlags);
    m_pPresentedFrame = engine->CreateTexture(kTextureKind, kTextureFlags);
    m_pObject = engine->CreateObject(kScreenObjectFlags, kScreenObjectCreation);
    if (!m_pTexture || !m_pPresentedFrame || !m_pObject || Failed(m_pObject->Create(4, 16, 16)))
        return kStatusFailed;
    m_pObject->Lock(0, 2);
    for (uint32_t g = 0; g < 4; ++g) {
        m_pObject->SetIndexRange(4 * g, 4);
        m_pObject->SetGroup(g, 4 * g, 4, 4 * g, 4, 2, kPrimitiveTriangleStrip, kQuadFaceMode, kGroupIdOwnNumber);
    }
    m_pObject->Unlock(1);
    m_pObject->SetColor(0xFFFFFFFFu);
    m_pObject->SetTextureAllGroups(m_pTexture, 0);
    return Failed(Load()) ? kStatusFailed : kStatusOk;
}

Status CScreenshot::Load()
{
    WorldData* w = m_pWorldData;
    if (!w || !m_pTexture || !m_pPresentedFrame || !m_pObject)
        return kStatusFailed;
    m_nCapturedWidth = w->realWidth;
    m_nCapturedHeight = w->realHeight;
    // The frame copy takes the window as it stands on the screen: a quarter-turned world
    // holds its real sides the other way round.
    uint32_t width = w->realWidth, height = w->realHeight;
    if (IsQuarterTurn(w->orientation)) {
        width = w->realHeight;
        height = w->realWidth;
    }
    uint32_t textureWidth = width, textureHeight = height;
    if (RoundsToPowerOfTwo()) {
        textureWidth = NextPowerOfTwo(textureWidth);
        textureHeight = NextPowerOfTwo(textureHeight);
    }
    if (textureWidth == 0 || textureHeight == 0 || textureWidth > 0xFFFF || textureHeight > 0xFFFF)
        return kStatusFailed;
    std::unique_ptr<uint8_t[]> black(new (std::nothrow) uint8_t[size_t(textureWidth) * textureHeight * 3]());
    if (!black) {
        w->lastErrorCode = kStatusOutOfMemory;
        return kStatusOutOfMemory;
    }
    for (C3DTexture* texture : {m_pTexture, m_pPresentedFrame}) {
        texture->Release();
        if (Failed(texture->MakeFromRaw(uint16_t(textureWidth), uint16_t(textureHeight), 24, black.get(), nullptr))) {
            Log(w->logPath, 0, u"# CScreenshot::Load failed! Can't make from raw texture %dx%d\n",
                int(textureWidth), int(textureHeight));
            return kStatusFailed;
        }
    }
    m_nShownFrame = ~0u;
    if (C3DEngine* engine = C3DEngine::FromWorld(w))
        engine->SetPresentedFrameCopy(m_pPresentedFrame);
    FillQuads(textureWidth, textureHeight);
    return kStatusOk;
}

void CScreenshot::FillQuads(uint32_t textureWidth, uint32_t textureHeight)
{
    const WorldData& w = *m_pWorldData;
    const bool quarter = IsQuarterTurn(w.orientation);
    const float width = float(quarter ? w.realHeight : w.realWidth);
    const float height = float(quarter ? w.realWidth : w.realHeight);
    // The copied window within the texture: its rows start at the bottom of the texture, and
    // v counts from the top.
    const float right = width / float(textureWidth);
    const float top = 1.0f - height / float(textureHeight);
    // Texture corners of the window: top-left, top-right, bottom-right, bottom-left.
    const float corners[4][2] = {{0.0f, top}, {right, top}, {right, 1.0f}, {0.0f, 1.0f}};
    // The display's corners in the same order; each group starts at another corner of the
    // window, as the view turns the display for orientations 1, 2, 4 and 3 in group order.
    const float displayWidth = float(w.virtualWidth), displayHeight = float(w.virtualHeight);
    const float positions[4][2] = {{0.0f, 0.0f}, {displayWidth, 0.0f}, {displayWidth, displayHeight},
                                   {0.0f, displayHeight}};
    static const uint32_t kFirstCorner[4] = {0, 2, 3, 1};
    // A strip goes top-left, top-right, bottom-left, bottom-right.
    static const uint32_t kStripCorner[4] = {0, 1, 3, 2};
    m_pObject->Lock(0, 2);
    for (uint32_t g = 0; g < 4; ++g) {
        for (uint32_t k = 0; k < 4; ++k) {
            const uint32_t corner = kStripCorner[k];
            const float* uv = corners[(corner + kFirstCorner[g]) % 4];
            m_pObject->SetVertex(4 * g + k, positions[corner][0], positions[corner][1], 0.0f, 0xFFFFFFFFu, uv[0],
                                 uv[1], 0.0f, 0.0f, 0.0f, 0);
        }
    }
    m_pObject->Unlock(1);
    m_pObject->UseOwnMatrix();
    m_pObject->SetIdentity();
}

void CScreenshot::Capture(int32_t, int32_t, int32_t, int32_t)
{
    WorldData* w = m_pWorldData;
    if (!w)
        return;
    if (w->realWidth != m_nCapturedWidth || w->realHeight != m_nCapturedHeight) {
        Unload();
        if (Failed(LoadParameters(m_nResourceMode)))
            Unload();
    }
    if (!m_pTexture || !m_pObject)
        return;
    C3DEngine* engine = C3DEngine::FromWorld(w);
    if (engine && !engine->IsInScene() && engine->GetPresentedFrameCopy() == m_pPresentedFrame) {
        // Between frames the back buffer holds nothing defined: the frame kept at the last
        // swap is shown, unless the shown texture has it already.
        if (m_nShownFrame != engine->GetPresentedFrames()) {
            std::swap(m_pTexture, m_pPresentedFrame);
            m_pObject->SetTextureAllGroups(m_pTexture, 0);
            engine->SetPresentedFrameCopy(m_pPresentedFrame);
            m_nShownFrame = engine->GetPresentedFrames();
        }
    } else {
        m_pTexture->CopyFromScreen(1, 1, 0, 0);
        m_nShownFrame = ~0u;
    }
    m_fFadeRatio = 1.0f;
}

void CScreenshot::Update()
{
    if (m_fFadeRatio == 0.0f || !m_pWorldData)
        return;
    m_fFadeRatio -= float(m_pWorldData->frameTime) * m_fFadeSpeed;
    if (m_fFadeRatio < 0.0f)
        m_fFadeRatio = 0.0f;
}

void CScreenshot::Render()
{
    if (m_fFadeRatio != 0.0f)
        DrawWithAlpha(uint8_t(m_fFadeRatio * 255.0f));
}

void CScreenshot::DrawWithAlpha(uint8_t alpha)
{
    if (!m_pObject)
        return;
    C3DEngine* engine = C3DEngine::FromWorld(m_pWorldData);
    const uint32_t orientation = engine && engine->GetView() ? engine->GetView()->GetOrientation() : 1;
    static const int32_t kGroupOfOrientation[5] = {-1, 0, 1, 3, 2};
    if (orientation < 1 || orientation > 4)
        return;
    m_pObject->SetAlpha(alpha);
    m_pObject->DrawEx(uint32_t(kGroupOfOrientation[orientation]));
}
