#pragma once
// The transform part shared by 3D objects, containers and a few scene classes: an own matrix
// and a pointer to the matrix in use. Every transform operation and every draw works on the
// matrix in use, which is the own matrix unless SetMatrixPointer made it an outside matrix
// (kept, never copied or freed). Matrices follow the maths object's layout (C3DMath.h):
// 16 floats row by row, new transforms multiplied in front.
#include <cstdint>

#include "VornelUtils/BaseObject.h"

struct C3DVector3;
class C3DMath;

class C3DTransform : public CBaseObject {
public:
    // Keeps the world data record; the own matrix is the identity and in use.
    explicit C3DTransform(WorldData* pWorldData);
    ~C3DTransform() override;

    virtual void SetMatrixPointer(float* pMatrix); // matrix in use := an outside matrix
    virtual void SetMatrix(const float* pMatrix);  // copies 16 floats into the matrix in use
    virtual void UseOwnMatrix();                   // matrix in use := own matrix
    virtual void SetIdentity();
    virtual void SetPosition(float x, float y, float z); // the translation row
    virtual void Translate(float x, float y, float z);
    virtual void Rotate(float angle);                    // about Z, radians
    virtual void ScaleUniform(float s);
    virtual void ScaleVector(const C3DVector3* pScale);
    virtual void Scale(float x, float y, float z);

    // The matrix in use (may be null on an object between construction and Init).
    float* GetMatrix() const { return m_pMatrix; }
    float* GetOwnMatrix() { return m_matrix; }

protected:
    // The world's maths object; null when the world has none.
    C3DMath* Math() const;

    float m_matrix[16];
    float* m_pMatrix;
};
