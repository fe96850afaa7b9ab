#include "NimbrelManagers/CProgressBar.h"

#include <algorithm>
#include <initializer_list>

#include "NimbrelManagers/CLoading.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "Vornel3D/C3DEngine.h"
#include "Vornel3D/C3DObject.h"
#include "Vornel3D/C3DObjectIndex.h"
#include "Vornel3D_ToolBox/AutoLoad.h"
#include "VornelUtils/UtilsParameters.h"
#include "VornelUtils/WorldData.h"

namespace {

constexpr const char16_t* kSection = u"PROGRESS_BAR";
constexpr uint32_t kBarFlags = 0x8011;
constexpr uint32_t kBarCreation = 0xC29;
constexpr uint32_t kTextureKind = 1;
constexpr uint32_t kTextureFlags = 0x52;
constexpr uint32_t kFaceMode = 1;
constexpr uint32_t kWhite = 0xFFFFFFFFu;
constexpr uint32_t kLayers = 3;
constexpr uint32_t kFillLayer = 1;

struct LayerPicture {
    const char16_t* key;
    const char16_t* defaultName;
};
constexpr LayerPicture kLayerPictures[kLayers] = {
    {u"PROGRESS_BAR_1_TEXTURE_PATH", u"progress_bar.1.png"},
    {u"PROGRESS_BAR_2_TEXTURE_PATH", u"progress_bar.2.png"},
    {u"PROGRESS_BAR_3_TEXTURE_PATH", u"progress_bar.3.png"},
};

}  // namespace

CProgressBar::CProgressBar(WorldData* pWorldData) : CManagedObject(pWorldData) {}

CProgressBar::~CProgressBar()
{
    Unload();
}

Status CProgressBar::Load()
{
    WorldData* w = m_pWorldData;
    C3DEngine* engine = C3DEngine::FromWorld(w);
    auto* world = w ? dynamic_cast<CManagedWorld*>(w->pWorld) : nullptr;
    if (!engine || !world || !w->pGame)
        return kStatusFailed;
    UtilsParameters* settings = w->pAppSettings;
    auto setting = [&](const char16_t* key, float value) {
        return settings ? settings->GetFloat(kSection, key, value) : value;
    };
    m_fPositionX = setting(u"PROGRESS_BAR_POS_X", 512.0f);
    m_fPositionY = setting(u"PROGRESS_BAR_POS_Y", 650.0f);
    m_fWidth = setting(u"PROGRESS_BAR_WIDTH", 256.0f);
    m_fHeight = setting(u"PROGRESS_BAR_HEIGHT", 80.0f);

    Unload();
    m_pBar = engine->CreateObject(kBarFlags, kBarCreation);
    if (!m_pBar || Failed(m_pBar->Create(kLayers, 4 * kLayers, 4 * kLayers)))
        return kStatusFailed;
    m_pBar->Lock(2, 2);
    static const float kUV[4][2] = {{0.0f, 0.0f}, {1.0f, 0.0f}, {0.0f, 1.0f}, {1.0f, 1.0f}};
    for (uint32_t k = 0; k < kLayers; ++k) {
        for (uint32_t i = 0; i < 4; ++i)
            m_pBar->SetVertex(4 * k + i, 0.0f, 0.0f, 0.0f, kWhite, kUV[i][0], kUV[i][1], 0.0f, 0.0f, 0.0f, 0);
        m_pBar->SetIndexRange(4 * k, 4);
        m_pBar->SetGroup(k, 4 * k, 4, 4 * k, 4, 2, kPrimitiveTriangleStrip, kFaceMode, kGroupIdOwnNumber);
    }
    m_pBar->Unlock(0);

    Status status = kStatusOk;
    w->textureMipShift = w->pGame->screen.textureLevelShift;
    for (uint32_t k = 0; k < kLayers && Succeeded(status); ++k)
        status = AutoLoad3DObjectOneTextureFromParam(world->GetTextureSource(), m_pBar, kTextureKind, kTextureFlags,
                                                     int32_t(k), 0, kSection, kLayerPictures[k].key,
                                                     kLayerPictures[k].defaultName, settings, w);
    w->textureMipShift = 0;
    if (Failed(status))
        return kStatusFailed;
    return Layout();
}

Status CProgressBar::Unload()
{
    C3DEngine* engine = C3DEngine::FromWorld(m_pWorldData);
    if (engine && m_pBar)
        engine->ReleaseObject(m_pBar);
    m_pBar = nullptr;
    return kStatusOk;
}

float CProgressBar::GetRatio() const
{
    return m_range ? float(m_position) / float(m_range) : 0.0f;
}

Status CProgressBar::Layout()
{
    WorldData* w = m_pWorldData;
    if (!m_pBar || !w->pGame)
        return kStatusOk;
    const GameScreenScale& s = w->pGame->screen;
    const float cx = s.layoutPositionX * m_fPositionX;
    const float cy = s.layoutPositionY * m_fPositionY;
    const float hw = s.layoutSizeX * m_fWidth * 0.5f;
    const float hh = s.layoutSizeY * m_fHeight * 0.5f;
    m_x0 = cx - hw;
    m_y0 = cy - hh;
    m_x1 = cx + hw;
    m_y1 = cy + hh;
    m_pBar->Lock(2, 0);
    for (uint32_t k : {0u, 2u}) {
        m_pBar->SetVertexPosition(4 * k, m_x0, m_y0, 0.0f);
        m_pBar->SetVertexPosition(4 * k + 1, m_x1, m_y0, 0.0f);
        m_pBar->SetVertexPosition(4 * k + 2, m_x0, m_y1, 0.0f);
        m_pBar->SetVertexPosition(4 * k + 3, m_x1, m_y1, 0.0f);
    }
    WriteFill();
    m_pBar->Unlock(1);
    return kStatusOk;
}

void CProgressBar::WriteFill()
{
    // The fill picture is revealed from the left, not stretched.
    const float ratio = GetRatio();
    const float right = m_x0 + ratio * (m_x1 - m_x0);
    const uint32_t v = 4 * kFillLayer;
    m_pBar->SetVertexPosition(v, m_x0, m_y0, 0.0f);
    m_pBar->SetVertexPosition(v + 1, right, m_y0, 0.0f);
    m_pBar->SetVertexPosition(v + 2, m_x0, m_y1, 0.0f);
    m_pBar->SetVertexPosition(v + 3, right, m_y1, 0.0f);
    m_pBar->SetVertexUV0(v, 0.0f, 0.0f);
    m_pBar->SetVertexUV0(v + 1, ratio, 0.0f);
    m_pBar->SetVertexUV0(v + 2, 0.0f, 1.0f);
    m_pBar->SetVertexUV0(v + 3, ratio, 1.0f);
}

void CProgressBar::SetRange(uint32_t step, uint32_t range)
{
    // A range of 0 would be divided by.
    if (range == 0)
        return;
    m_position = 0;
    m_step = step;
    m_range = range;
}

Status CProgressBar::Step()
{
    m_position = uint32_t(std::min<uint64_t>(uint64_t(m_position) + m_step, m_range));
    if (m_pBar) {
        m_pBar->Lock(2, 0);
        WriteFill();
        m_pBar->Unlock(1);
    }
    return kStatusOk;
}

void CProgressBar::Render()
{
    auto* world = m_pWorldData ? dynamic_cast<CNimbrelWorld*>(m_pWorldData->pWorld) : nullptr;
    if (CManagedObject* loading = world ? world->GetManager(kManagerLoading) : nullptr)
        loading->Render();
    if (m_pBar)
        m_pBar->Draw();
}
