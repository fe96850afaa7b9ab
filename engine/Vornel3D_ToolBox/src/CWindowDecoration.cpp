// The window decoration: the cursor and corner quads and their pictures.
#include "Vornel3D_ToolBox/CWindowDecoration.h"

#include "Vornel3D/C3DEngine.h"
#include "Vornel3D/C3DMath.h"
#include "Vornel3D/C3DObject.h"
#include "Vornel3D/C3DObjectIndex.h"
#include "Vornel3D_ToolBox/AutoLoad.h"
#include "Vornel3D_ToolBox/CManagedWorld.h"
#include "VornelUtils/UtilsParameters.h"
#include "VornelUtils/WorldData.h"

namespace {

constexpr uint32_t kDecorationObjectFlags = 0x8010;
constexpr uint32_t kDecorationObjectCreation = 0xC29;
constexpr uint32_t kTextureKind = 1;
constexpr uint32_t kTextureFlags = 0x52;
constexpr uint32_t kQuadFaceMode = 1;
constexpr uint32_t kCursorGroup = 0;
constexpr uint32_t kCornerGroup = 1;
constexpr const char16_t* kSection = u"EXTRA_PLATFORM";

float Setting(UtilsParameters* settings, const char16_t* key, float defaultValue)
{
    return settings ? settings->GetFloat(kSection, key, defaultValue) : defaultValue;
}

}  // namespace

CWindowDecoration::CWindowDecoration(WorldData* pWorldData) : CManagedObject(pWorldData) {}

CWindowDecoration::~CWindowDecoration()
{
    Unload();
}

Status CWindowDecoration::Unload()
{
    C3DEngine* engine = C3DEngine::FromWorld(m_pWorldData);
    if (m_pObject && engine)
        engine->ReleaseObject(m_pObject);
    m_pObject = nullptr;
    return kStatusOk;
}

Status CWindowDecoration::LoadParameters(uint32_t flags)
{
    m_nFlags = flags;
    C3DEngine* engine = C3DEngine::FromWorld(m_pWorldData);
    if (!engine)
        return kStatusFailed;
    Unload();
    m_pObject = engine->CreateObject(kDecorationObjectFlags, kDecorationObjectCreation);
    if (!m_pObject || Failed(m_pObject->Create(2, 8, 8)))
        return kStatusFailed;
    WorldData* w = m_pWorldData;
    UtilsParameters* settings = w->pAppSettings;
    // A quad from (x0, y0) to (x1, y1) as a strip: top-left, top-right, bottom-left, bottom-right.
    auto quad = [&](uint32_t group, float x0, float y0, float x1, float y1) {
        m_pObject->SetVertex(4 * group, x0, y0, 0.0f, 0xFFFFFFFFu, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0);
        m_pObject->SetVertex(4 * group + 1, x1, y0, 0.0f, 0xFFFFFFFFu, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0);
        m_pObject->SetVertex(4 * group + 2, x0, y1, 0.0f, 0xFFFFFFFFu, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0);
        m_pObject->SetVertex(4 * group + 3, x1, y1, 0.0f, 0xFFFFFFFFu, 1.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0);
    };
    m_pObject->Lock(0, 2);
    Status status = kStatusOk;
    if (flags & kDecorationCursor) {
        quad(kCursorGroup, 0.0f, 0.0f, Setting(settings, u"MOUSE_CURSOR_SIZE_WIDTH", 16.0f),
             Setting(settings, u"MOUSE_CURSOR_SIZE_HEIGHT", 32.0f));
        // From the pack, whatever the resource mode.
        if (Failed(AutoLoad3DObjectOneTextureFromParam(kResourceSourcePack, m_pObject, kTextureKind, kTextureFlags,
                                                       kCursorGroup, 0, kSection, u"MOUSE_CURSOR_TEXTURE_FILE_NAME",
                                                       u"mouse.png", settings, w)))
            status = kStatusFailed;
    }
    if ((flags & kDecorationCorner) && Succeeded(status)) {
        const float width = float(w->virtualWidth), height = float(w->virtualHeight);
        quad(kCornerGroup, width - Setting(settings, u"WINDOW_CORNER_SIZE_WIDTH", 16.0f),
             height - Setting(settings, u"WINDOW_CORNER_SIZE_HEIGHT", 16.0f), width, height);
        if (Failed(AutoLoad3DObjectOneTextureFromParam(kResourceSourcePack, m_pObject, kTextureKind, kTextureFlags,
                                                       kCornerGroup, 0, kSection, u"WINDOW_CORNER_TEXTURE_FILE_NAME",
                                                       u"corner.png", settings, w)))
            status = kStatusFailed;
    }
    for (uint32_t g = 0; g < 2; ++g) {
        m_pObject->SetIndexRange(4 * g, 4);
        m_pObject->SetGroup(g, 4 * g, 4, 4 * g, 4, 2, kPrimitiveTriangleStrip, kQuadFaceMode, kGroupIdOwnNumber);
    }
    m_pObject->Unlock(1);
    return status;
}

void CWindowDecoration::Render()
{
    WorldData* w = m_pWorldData;
    if (!m_pObject || !w)
        return;
    m_pObject->UseOwnMatrix();
    m_pObject->SetIdentity();
    if ((m_nFlags & kDecorationCorner) && !w->fullScreen)
        m_pObject->DrawEx(kCornerGroup);
    if ((m_nFlags & kDecorationCursor) && w->pMath) {
        float matrix[16];
        w->pMath->SetIdentity(matrix);
        w->pMath->Translate(matrix, w->mouseX, w->mouseY, 0.0f);
        m_pObject->SetMatrix(matrix);
        m_pObject->DrawEx(kCursorGroup);
    }
}
