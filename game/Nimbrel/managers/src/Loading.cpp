#include "NimbrelManagers/CLoading.h"

#include <algorithm>

#include "NimbrelManagers/AutoLoadTextureFromParam.h"
#include "NimbrelManagers/PictureSize.h"
#include "NimbrelWorld/GameData.h"
#include "NimbrelWorld/ScreenFit.h"
#include "Vornel3D/C3DEngine.h"
#include "Vornel3D/C3DObject.h"
#include "Vornel3D/C3DObjectIndex.h"
#include "Vornel3D/C3DTexture.h"
#include "Vornel3D_ToolBox/CManagedWorld.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

namespace {

constexpr uint32_t kQuadFlags = 0x8011;
constexpr uint32_t kBackgroundCreation = 0x429;
constexpr uint32_t kPictureCreation = 0xC29;
constexpr uint32_t kTextureKind = 1;
constexpr uint32_t kTextureFlags = 0x52;
constexpr uint32_t kFaceMode = 1;
constexpr uint32_t kWhite = 0xFFFFFFFFu;

C3DObject* MakeQuad(C3DEngine* engine, uint32_t creation)
{
    C3DObject* quad = engine->CreateObject(kQuadFlags, creation);
    if (!quad)
        return nullptr;
    if (Succeeded(quad->Create(1, 4, 4))) {
        quad->Lock(0, 1);
        quad->SetGroup(0, 0, 4, 0, 4, 2, kPrimitiveTriangleStrip, kFaceMode, kGroupIdOwnNumber);
        quad->ResetIndices();
        quad->Unlock(0);
    }
    return quad;
}

}  // namespace

CLoading::CLoading(WorldData* pWorldData) : CManagedObject(pWorldData) {}

CLoading::~CLoading()
{
    Unload();
}

Status CLoading::Load()
{
    WorldData* w = m_pWorldData;
    C3DEngine* engine = C3DEngine::FromWorld(w);
    auto* world = w ? dynamic_cast<CManagedWorld*>(w->pWorld) : nullptr;
    if (!engine || !world || !w->pGame)
        return kStatusFailed;
    Unload();
    m_pBackground = MakeQuad(engine, kBackgroundCreation);
    m_pPicture = MakeQuad(engine, kPictureCreation);
    if (!m_pBackground || !m_pPicture)
        return kStatusFailed;

    w->textureMipShift = w->pGame->screen.textureLevelShift;
    const Status loaded =
        AutoLoad3DObjectTextureFromParam(world->GetTextureSource(), m_pPicture, kTextureKind, kTextureFlags, 0,
                                         u"LOADING", u"LOADING_TEXTURE_PATH", u"loading.png", w->pAppSettings, w);
    w->textureMipShift = 0;
    if (Failed(loaded))
        return kStatusFailed;

    const C3DTexture* texture = m_pPicture->GetTexture(0, 0);
    const char16_t* name = texture ? texture->GetName() : nullptr;
    ParseSizeFromName(name, "%dx%d", &m_imageWidth, &m_imageHeight);
    if (m_imageWidth == -1 || m_imageHeight == -1) {
        // The fit needs the picture's full size, whatever size it was loaded at.
        UtilsString_Format(w->lastErrorText, kWorldTextSize, u"No picture size (such as _1024x768) in the name: %s",
                           name ? name : u"");
        return kStatusFailed;
    }
    return Layout();
}

Status CLoading::Unload()
{
    C3DEngine* engine = C3DEngine::FromWorld(m_pWorldData);
    if (engine) {
        if (m_pBackground)
            engine->ReleaseObject(m_pBackground);
        if (m_pPicture)
            engine->ReleaseObject(m_pPicture);
    }
    m_pBackground = nullptr;
    m_pPicture = nullptr;
    return kStatusOk;
}

Status CLoading::Layout()
{
    WorldData* w = m_pWorldData;
    if (!m_pBackground || !m_pPicture || m_imageWidth <= 0 || m_imageHeight <= 0 || !w->pGame)
        return kStatusFailed;
    float fit[4] = {};
    ComputeScreenFit(w->virtualWidth, w->virtualHeight, float(m_imageWidth), float(m_imageHeight),
                     w->pGame->screen.textureLevelShift, 0, fit, nullptr, nullptr);
    const float width = float(m_imageWidth), height = float(m_imageHeight);
    m_pPicture->Lock(2, 0);
    m_pPicture->SetVertex(0, 0.0f, 0.0f, 0.0f, kWhite, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0);
    m_pPicture->SetVertex(1, width, 0.0f, 0.0f, kWhite, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0);
    m_pPicture->SetVertex(2, 0.0f, height, 0.0f, kWhite, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0);
    m_pPicture->SetVertex(3, width, height, 0.0f, kWhite, 1.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0);
    m_pPicture->Unlock(1);

    // The background fills what the fitted picture leaves of the screen: it reaches the whole
    // virtual screen even where that is larger than the picture.
    const C3DTexture* texture = m_pPicture->GetTexture(0, 0);
    const uint32_t color = texture ? texture->GetCornerColor() : kWhite;
    const float right = std::max(width, float(w->virtualWidth));
    const float bottom = std::max(height, float(w->virtualHeight));
    m_pBackground->Lock(2, 0);
    m_pBackground->SetVertex(0, 0.0f, 0.0f, 0.0f, color, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0);
    m_pBackground->SetVertex(1, right, 0.0f, 0.0f, color, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0);
    m_pBackground->SetVertex(2, 0.0f, bottom, 0.0f, color, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0);
    m_pBackground->SetVertex(3, right, bottom, 0.0f, color, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0);
    m_pBackground->Unlock(1);

    m_pPicture->UseOwnMatrix();
    m_pPicture->SetIdentity();
    m_pPicture->Translate(fit[0], fit[1], 0.0f);
    m_pPicture->Scale(fit[2], fit[3], 1.0f);
    return kStatusOk;
}

void CLoading::Render()
{
    if (m_pBackground)
        m_pBackground->Draw();
    if (m_pPicture)
        m_pPicture->Draw();
}
