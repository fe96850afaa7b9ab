#include "Vornel3D/C3DTransform.h"

#include <cstring>

#include "Vornel3D/C3DMath.h"
#include "VornelUtils/WorldData.h"

namespace {

void LoadIdentity(float* m)
{
    std::memset(m, 0, sizeof(float) * 16);
    m[0] = m[5] = m[10] = m[15] = 1.0f;
}

} // namespace

C3DTransform::C3DTransform(WorldData* pWorldData) : CBaseObject(pWorldData), m_pMatrix(m_matrix)
{
    LoadIdentity(m_matrix);
}

C3DTransform::~C3DTransform() = default;

C3DMath* C3DTransform::Math() const
{
    return m_pWorldData ? m_pWorldData->pMath : nullptr;
}

void C3DTransform::SetMatrixPointer(float* pMatrix)
{
    m_pMatrix = pMatrix;
}

void C3DTransform::SetMatrix(const float* pMatrix)
{
    if (m_pMatrix && pMatrix)
        std::memmove(m_pMatrix, pMatrix, sizeof(float) * 16);
}

void C3DTransform::UseOwnMatrix()
{
    m_pMatrix = m_matrix;
}

void C3DTransform::SetIdentity()
{
    if (!m_pMatrix)
        return;
    if (C3DMath* math = Math())
        math->SetIdentity(m_pMatrix);
    else
        LoadIdentity(m_pMatrix);
}

void C3DTransform::SetPosition(float x, float y, float z)
{
    if (!m_pMatrix)
        return;
    if (C3DMath* math = Math()) {
        math->SetTranslationXYZ(m_pMatrix, x, y, z);
    } else {
        m_pMatrix[12] = x;
        m_pMatrix[13] = y;
        m_pMatrix[14] = z;
    }
}

void C3DTransform::Translate(float x, float y, float z)
{
    if (C3DMath* math = Math(); math && m_pMatrix)
        math->Translate(m_pMatrix, x, y, z);
}

void C3DTransform::Rotate(float angle)
{
    if (C3DMath* math = Math(); math && m_pMatrix)
        math->Rotate(m_pMatrix, angle);
}

void C3DTransform::ScaleUniform(float s)
{
    if (C3DMath* math = Math(); math && m_pMatrix)
        math->ScaleUniform(m_pMatrix, s);
}

void C3DTransform::ScaleVector(const C3DVector3* pScale)
{
    if (C3DMath* math = Math(); math && m_pMatrix && pScale)
        math->ScaleVector(m_pMatrix, pScale);
}

void C3DTransform::Scale(float x, float y, float z)
{
    if (C3DMath* math = Math(); math && m_pMatrix)
        math->Scale(m_pMatrix, x, y, z);
}
