#include "NimbrelManagers/CBorders.h"

#include "NimbrelManagers/OverlayObjects.h"
#include "NimbrelWorld/GameData.h"
#include "Vornel3D/C3DObject.h"
#include "VornelUtils/UtilsParameters.h"
#include "VornelUtils/WorldData.h"

namespace {

constexpr uint32_t kObjectFlags = 0x8010;
constexpr uint32_t kObjectCreation = 0x421;

}  // namespace

uint32_t ReadBordersColor(UtilsParameters* settings)
{
    if (!settings)
        return 0xFFFFFFFFu;
    const uint32_t r = uint32_t(settings->GetInt(u"BORDERS", u"BORDERS_COLOR_R", 255)) & 0xFF;
    const uint32_t g = uint32_t(settings->GetInt(u"BORDERS", u"BORDERS_COLOR_G", 255)) & 0xFF;
    const uint32_t b = uint32_t(settings->GetInt(u"BORDERS", u"BORDERS_COLOR_B", 255)) & 0xFF;
    return 0xFF000000u | r << 16 | g << 8 | b;
}

CBorders::~CBorders()
{
    Unload();
}

Status CBorders::Load()
{
    WorldData* w = m_pWorldData;
    if (!w || !w->pGame)
        return kStatusFailed;
    Unload();
    m_pObject = CreateOverlayObject(w, kObjectFlags, kObjectCreation, 1, 10);
    if (!m_pObject)
        return kStatusFailed;
    m_color = ReadBordersColor(w->pAppSettings);
    // Twice the definition rectangle around the same centre: half its size beyond each edge.
    const float width = w->pGame->screen.referenceWidth, height = w->pGame->screen.referenceHeight;
    const float inner[4] = {0.0f, 0.0f, width, height};
    const float outer[4] = {-width * 0.5f, -height * 0.5f, width * 1.5f, height * 1.5f};
    SetRingStrip(m_pObject, inner, outer, m_color);
    return kStatusOk;
}

Status CBorders::Unload()
{
    ReleaseOverlayObject(m_pWorldData, &m_pObject);
    return kStatusOk;
}

void CBorders::Update()
{
    const GameData* game = m_pWorldData ? m_pWorldData->pGame : nullptr;
    if (!m_pObject || !game)
        return;
    // Where the view places the definition rectangle in the window.
    m_pObject->UseOwnMatrix();
    m_pObject->SetIdentity();
    m_pObject->Translate(game->screen.viewX, game->screen.viewY, 0.0f);
    m_pObject->Scale(game->screen.viewScaleX, game->screen.viewScaleY, 1.0f);
}

void CBorders::Render()
{
    if (m_pObject)
        m_pObject->Draw();
}
