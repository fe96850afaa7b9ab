// Render states and draws of the OpenGL objects.
#include "GLHeaders_GL.h"
#include "Vornel3D/C3DEngine.h"
#include "Vornel3D/C3DTexture.h"
#include "Vornel3D/C3DView.h"
#include "Vornel3D_GL/C3DObjectBase_GL.h"
#include "Vornel3D_GL/C3DObjectIndex_GL.h"
#include "VornelUtils/WorldData.h"

namespace {

constexpr uint32_t kTextureUnits = 4;

void Switch(GLenum capability, bool on)
{
    if (on)
        glEnable(capability);
    else
        glDisable(capability);
}

}  // namespace

// ---- states -----------------------------------------------------------------------------

Status C3DObjectBase_GL::Upload()
{
    const uint32_t w = m_nCreation;
    const WorldData* world = m_pWorldData;
    const bool depthSwitch = world && world->renderPair.current;

    Switch(GL_FOG, (w & k3DDrawFog) && world && world->fog.enabled.current);
    if (w & k3DDrawAlpha) {
        glEnable(GL_ALPHA_TEST);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    } else {
        glDisable(GL_ALPHA_TEST);
        glDisable(GL_BLEND);
    }
    if (m_nFlags & k3DObjectPointSprite) {
        glEnable(GL_POINT_SPRITE);
        glPointSize(m_fPointSize);
    } else {
        glDisable(GL_POINT_SPRITE);
    }
    Switch(GL_COLOR_MATERIAL, (w & k3DDrawMaterial) != 0);
    Switch(GL_LIGHT0, (w & k3DDrawLights) != 0);
    Switch(GL_LIGHT1, (w & k3DDrawLights) && world && world->light2.enabled.current);
    Switch(GL_LIGHTING, (w & k3DDrawLighting) != 0);

    if (w & k3DDrawDepthTest) {
        glEnable(GL_DEPTH_TEST);
        glDepthMask((w & k3DDrawDepthWrite) && depthSwitch ? GL_TRUE : GL_FALSE);
    } else if ((w & k3DDrawDepthWrite) && depthSwitch) {
        glEnable(GL_DEPTH_TEST);
        glDepthMask(GL_TRUE);
    } else {
        glDisable(GL_DEPTH_TEST);
        glDepthMask(GL_TRUE);
    }
    glPolygonMode(GL_FRONT_AND_BACK, (w & k3DDrawWireframe) || (world && world->wireframe) ? GL_LINE : GL_FILL);
    return kStatusOk;
}

void C3DObjectBase_GL::SetShaderConstants()
{
    Upload();
}

void C3DObjectBase_GL::RestoreRenderStates()
{
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glDepthMask(GL_TRUE);
    glLightModeli(GL_LIGHT_MODEL_COLOR_CONTROL, GL_SINGLE_COLOR);
}

void C3DObjectBase_GL::SetFaceMode(uint32_t mode)
{
    if (mode == kFaceModeBoth) {
        glDisable(GL_CULL_FACE);
        glFrontFace(GL_CW);
    } else {
        glEnable(GL_CULL_FACE);
        glFrontFace(mode == kFaceModeCounterClockwise ? GL_CCW : GL_CW);
    }
    glCullFace(GL_BACK);
}

// ---- transform ----------------------------------------------------------------------------

void C3DObjectBase_GL::ApplyProjection()
{
    C3DObject::ApplyProjection();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    if (m_pMatrix)
        glMultMatrixf(m_pMatrix);
}

void C3DObjectBase_GL::RestoreTransform()
{
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}

// ---- textures -----------------------------------------------------------------------------

void C3DObjectBase_GL::DisableTextureUnits()
{
    if (MultiTexture()) {
        for (uint32_t i = 0; i < kTextureUnits; ++i) {
            glActiveTextureARB(GL_TEXTURE0 + i);
            glDisable(GL_TEXTURE_2D);
        }
    } else {
        glDisable(GL_TEXTURE_2D);
    }
}

void C3DObjectBase_GL::SelectGroupTextures(uint32_t g)
{
    const uint32_t w = m_nCreation;
    if (w & k3DDrawWireframe)
        return;
    if (w & k3DDrawTextures) {
        for (uint32_t stage = 0; stage < k3DTextureStages; ++stage)
            if (C3DTexture* texture = GetTexture(g, stage))
                texture->Select(w, stage);
    } else if (w & k3DDrawTexture0) {
        if (C3DTexture* texture = GetTexture(g, 0))
            texture->Select(w, 0);
    }
}

// ---- geometry -----------------------------------------------------------------------------

void C3DObjectBase_GL::SendObjectColor()
{
    const uint32_t c = m_nColor;
    glColor4f(float((c >> 16) & 0xFF) / 255.0f, float((c >> 8) & 0xFF) / 255.0f, float(c & 0xFF) / 255.0f,
              float(c >> 24) / 255.0f);
}

void C3DObjectBase_GL::DrawGroupFromArrays(const C3DGroupRecord& record)
{
    C3DObjectIndex_GL* lists = DisplayLists();
    const uint32_t count = C3DObjectIndex_GL::DrawCount(record.type, record.primitiveCount);
    const uint32_t vertices = m_vertices.GetCount();
    // Indices that would reach outside the vertex array draw nothing.
    if (!lists || !m_pIndex || record.baseVertex >= vertices ||
        !lists->IndicesBelow(record.firstIndex, count, vertices - record.baseVertex))
        return;
    m_pIndex->Select(&record);
}

void C3DObjectBase_GL::DrawGroupGeometryOf(uint32_t g)
{
    const C3DGroupRecord* r = m_pIndex ? m_pIndex->GetGroup(g) : nullptr;
    if (!r)
        return;
    const C3DObjectIndex_GL* lists = DisplayLists();
    if (const uint32_t list = lists ? lists->GetDisplayList(g) : 0) {
        glCallList(list);
        return;
    }
    SetVertexArray(r->baseVertex);
    SetColorArray(r->baseVertex);
    SetNormalArray(r->baseVertex);
    SetTexCoordArray(r->baseVertex);
    if (m_nCreation & k3DDrawObjectColor) {
        glDisableClientState(GL_COLOR_ARRAY);
        SendObjectColor();
    }
    DrawGroupFromArrays(*r);
}

// ---- draws --------------------------------------------------------------------------------

const C3DGroupRecord* C3DObjectBase_GL::GroupDrawnAt(uint32_t position, uint32_t* group) const
{
    const C3DGroupRecord* at = m_pIndex ? m_pIndex->GetGroup(position) : nullptr;
    const C3DGroupRecord* r = at ? m_pIndex->GetGroup(at->id) : nullptr;
    if (r)
        *group = at->id;
    return r;
}

void C3DObjectBase_GL::BeginGroupDraw(const C3DGroupRecord& record)
{
    if (m_nCreation & k3DDrawOwnStates)
        SetShaderConstants();
    ApplyProjection();
    SetFaceMode(record.faceMode);
}

void C3DObjectBase_GL::EndDraw()
{
    if (m_nCreation & k3DDrawOwnStates)
        RestoreRenderStates();
    RestoreTransform();
}

void C3DObjectBase_GL::Draw()
{
    if (!m_pIndex)
        return;
    if (m_nCreation & k3DDrawOwnStates)
        SetShaderConstants();
    ApplyProjection();
    DisableTextureUnits();
    for (uint32_t k = 0; k < m_nGroupCount; ++k) {
        uint32_t group = 0;
        const C3DGroupRecord* r = GroupDrawnAt(k, &group);
        if (!r)
            continue;
        SetFaceMode(r->faceMode);
        SelectGroupTextures(group);
        DrawGroupGeometryOf(group);
    }
    EndDraw();
}

void C3DObjectBase_GL::DrawEx(uint32_t position)
{
    uint32_t group = 0;
    const C3DGroupRecord* r = GroupDrawnAt(position, &group);
    if (!r)
        return;
    BeginGroupDraw(*r);
    DisableTextureUnits();
    SelectGroupTextures(group);
    DrawGroupGeometryOf(group);
    EndDraw();
}

void C3DObjectBase_GL::DrawGeometry()
{
    if (!m_pIndex)
        return;
    ApplyProjection();
    for (uint32_t k = 0; k < m_nGroupCount; ++k)
        if (const C3DGroupRecord* at = m_pIndex->GetGroup(k))
            DrawGroupGeometryOf(at->id);
    RestoreTransform();
}

void C3DObjectBase_GL::DrawGroupGeometry(uint32_t position)
{
    const C3DGroupRecord* at = m_pIndex ? m_pIndex->GetGroup(position) : nullptr;
    if (!at)
        return;
    ApplyProjection();
    DrawGroupGeometryOf(at->id);
    RestoreTransform();
}

void C3DObjectBase_GL::PrepareGroup(uint32_t position)
{
    uint32_t group = 0;
    const C3DGroupRecord* r = GroupDrawnAt(position, &group);
    if (!r)
        return;
    BeginGroupDraw(*r);
    SetVertexArray(r->baseVertex);
    SetNormalArray(r->baseVertex);
    SetTexCoordArray(r->baseVertex);
    if (m_nCreation & k3DDrawObjectColor)
        glDisableClientState(GL_COLOR_ARRAY);
    else
        SetColorArray(r->baseVertex);
    DisableTextureUnits();
    SelectGroupTextures(group);
}

void C3DObjectBase_GL::DrawGroup(uint32_t position)
{
    uint32_t group = 0;
    if (const C3DGroupRecord* r = GroupDrawnAt(position, &group))
        DrawPreparedGroup(group, r->firstIndex, r->primitiveCount, r->type, r->faceMode);
}

void C3DObjectBase_GL::DrawPreparedGroup(uint32_t group, uint32_t, uint32_t, uint32_t, uint32_t)
{
    const C3DGroupRecord* r = m_pIndex ? m_pIndex->GetGroup(group) : nullptr;
    if (!r)
        return;
    const C3DObjectIndex_GL* lists = DisplayLists();
    if (const uint32_t list = lists ? lists->GetDisplayList(group) : 0) {
        glCallList(list);
        return;
    }
    if (m_nCreation & k3DDrawObjectColor)
        SendObjectColor();
    DrawGroupFromArrays(*r);
}

void C3DObjectBase_GL::FinishGroup(uint32_t)
{
    EndDraw();
}

// ---- end of an edit -----------------------------------------------------------------------

Status C3DObjectBase_GL::Unlock(uint32_t rebuild)
{
    const Status status = C3DObjectPrivate::Unlock(rebuild);
    C3DObjectIndex_GL* lists = DisplayLists();
    if (!(m_nFlags & k3DObjectColorAtDraw) && rebuild && lists && m_pIndex) {
        lists->DeleteDisplayLists();
        const uint32_t groups = lists->GetDisplayListCount();
        SetShaderConstants();
        ApplyProjection();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        const GLuint base = groups > 0 ? glGenLists(GLsizei(groups)) : 0;
        if (base != 0) {
            glListBase(base);
            uint32_t* table = lists->GetDisplayLists();
            for (uint32_t g = 0; g < groups; ++g) {
                table[g] = base + g;
                glNewList(base + g, GL_COMPILE);
                DrawGroupImmediate(m_pIndex->GetGroup(g));
                glEndList();
            }
        }
        RestoreTransform();
    }
    if (m_pIndex)
        m_pIndex->Unlock(rebuild);
    return status;
}
