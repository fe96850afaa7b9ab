#include "Vornel3D/C3DContainer.h"
#include "Vornel3D/C3DObject.h"

C3DContainerShader::C3DContainerShader(WorldData* pWorldData, uint32_t flags, uint32_t second)
    : C3DContainer(pWorldData, flags, second) {
    m_nFlags = (m_nFlags & kContainerFlagsMask) | kContainerKindShader;
}

C3DContainerShader::~C3DContainerShader() { LetObjectGo(); }

void C3DContainerShader::LetObjectGo() {
    if (m_pObject && m_pObject->GetMatrix() == m_worldMatrix) m_pObject->UseOwnMatrix();
}

void C3DContainerShader::DrawObject(float* matrix) {
    if (!m_pObject) return;
    m_pObject->SetColor(m_nColor);
    m_pObject->SetMatrixPointer(matrix ? matrix : m_worldMatrix);
    if (m_nGroup == kContainerAllGroups) {
        if (m_pTexture) m_pObject->SetTextureAllGroups(m_pTexture, 0);
        m_pObject->Draw();
    } else {
        if (m_pTexture) m_pObject->SetTexture(m_pTexture, m_nGroup, 0);
        m_pObject->DrawEx(m_nGroup);
    }
}

void C3DContainerShader::Draw(uint32_t value) {
    DrawObject(m_worldMatrix);
    DrawChildren(value);
}

void C3DContainerShader::DrawSecondPass(float* matrix) {
    DrawObject(matrix);
    DrawChildrenSecondPass(matrix);
}

void C3DContainerShader::SetObject(C3DObject* pObject) {
    if (pObject != m_pObject) LetObjectGo();
    m_pObject = pObject;
}

void C3DContainerShader::SetTexture(C3DTexture* pTexture) { m_pTexture = pTexture; }

void C3DContainerShader::SetGroup(uint32_t group) { m_nGroup = group; }

C3DObject* C3DContainerShader::GetObject() { return m_pObject; }

C3DTexture* C3DContainerShader::GetTexture() { return m_pTexture; }

uint32_t C3DContainerShader::GetGroup() { return m_nGroup; }
