// The two vertex-normal passes that run at the end of an edit, through the accessors alone.
#include <cmath>
#include <cstring>
#include <unordered_map>
#include <vector>

#include "GroupTriangles.h"
#include "Vornel3D/C3DObjectPrivate.h"

namespace {

C3DVector3 Add(const C3DVector3& a, const C3DVector3& b)
{
    return C3DVector3{a.x + b.x, a.y + b.y, a.z + b.z};
}

C3DVector3 Scaled(const C3DVector3& v, float s)
{
    return C3DVector3{v.x * s, v.y * s, v.z * s};
}

// Key of a position for exact float equality (+0 and -0 alike).
struct PositionKey {
    uint32_t bits[3];
    bool operator==(const PositionKey& o) const
    {
        return bits[0] == o.bits[0] && bits[1] == o.bits[1] && bits[2] == o.bits[2];
    }
};

struct PositionKeyHash {
    size_t operator()(const PositionKey& k) const
    {
        return (size_t(k.bits[0]) * 73856093u) ^ (size_t(k.bits[1]) * 19349663u) ^ (size_t(k.bits[2]) * 83492791u);
    }
};

// Vertex v's normal := n normalised (a zero vector stays zero).
void SetNormalised(C3DObject& object, C3DMath& math, uint32_t v, C3DVector3 n)
{
    math.Vec3Normalize(&n, &n);
    object.SetVertexNormal(v, n.x, n.y, n.z);
}

void ClearNormals(C3DObject& object)
{
    for (uint32_t v = 0; v < object.GetVertexCount(); ++v)
        object.SetVertexNormal(v, 0.0f, 0.0f, 0.0f);
}

bool MakeKey(const C3DVector3& p, PositionKey* key)
{
    const float values[3] = {p.x, p.y, p.z};
    for (int k = 0; k < 3; ++k) {
        if (std::isnan(values[k]))
            return false; // never equal to anything
        const float v = values[k] == 0.0f ? 0.0f : values[k];
        std::memcpy(&key->bits[k], &v, sizeof v);
    }
    return true;
}

} // namespace

template <typename Fn> void C3DObjectPrivate::ForEachTriangle(uint32_t g, Fn fn)
{
    if (const C3DGroupRecord* r = m_pIndex ? m_pIndex->GetGroup(g) : nullptr)
        ForEachGroupTriangle(*this, *r, fn);
}

C3DVector3 C3DObjectPrivate::FaceNormal(uint32_t a, uint32_t b, uint32_t c)
{
    const C3DVector3 pa = GetVertexPosition(a), pb = GetVertexPosition(b), pc = GetVertexPosition(c);
    const C3DVector3 ab{pa.x - pb.x, pa.y - pb.y, pa.z - pb.z};
    const C3DVector3 ac{pa.x - pc.x, pa.y - pc.y, pa.z - pc.z};
    C3DVector3 n{0.0f, 0.0f, 0.0f};
    if (C3DMath* math = Math()) {
        math->Vec3Cross(&n, &ab, &ac);
        math->Vec3Normalize(&n, &n);
    }
    return n;
}

void C3DObjectPrivate::ComputeFaceNormals()
{
    C3DMath* math = Math();
    if (!math)
        return;
    ClearNormals(*this);
    for (uint32_t g = 0; g < m_nGroupCount; ++g) {
        ForEachTriangle(g, [&](uint32_t, uint32_t, uint32_t, uint32_t a, uint32_t b, uint32_t c) {
            const C3DVector3 face = FaceNormal(a, b, c);
            for (uint32_t v : {a, b, c})
                SetNormalised(*this, *math, v, Add(GetVertexNormal(v), face));
        });
    }
}

void C3DObjectPrivate::ComputeSmoothNormals()
{
    C3DMath* math = Math();
    if (!math)
        return;
    ClearNormals(*this);

    for (uint32_t g = 0; g < m_nGroupCount; ++g) {
        const C3DGroupRecord* r = m_pIndex ? m_pIndex->GetGroup(g) : nullptr;
        if (!r)
            continue;
        // A triangle whose vertices do not all exist is left out, so that a bad index value
        // can neither size the counters nor reach past the vertices.
        auto exists = [&](uint32_t value, uint32_t vertex) {
            return value < m_nVertexCount && vertex < m_nVertexCount && vertex >= value; // no wrap-around
        };
        auto valid = [&](uint32_t ia, uint32_t ib, uint32_t ic, uint32_t a, uint32_t b, uint32_t c) {
            return exists(ia, a) && exists(ib, b) && exists(ic, c);
        };

        // 1. How many triangles use each index value.
        std::vector<uint32_t> uses;
        ForEachTriangle(g, [&](uint32_t ia, uint32_t ib, uint32_t ic, uint32_t a, uint32_t b, uint32_t c) {
            if (!valid(ia, ib, ic, a, b, c))
                return;
            for (uint32_t i : {ia, ib, ic}) {
                if (i >= uses.size())
                    uses.resize(size_t(i) + 1, 0);
                ++uses[i];
            }
        });
        // 2. Each face normal, weighted by 1 / uses, into its three vertices.
        ForEachTriangle(g, [&](uint32_t ia, uint32_t ib, uint32_t ic, uint32_t a, uint32_t b, uint32_t c) {
            if (!valid(ia, ib, ic, a, b, c))
                return;
            const C3DVector3 face = FaceNormal(a, b, c);
            const uint32_t values[3] = {ia, ib, ic};
            const uint32_t vertices[3] = {a, b, c};
            for (int k = 0; k < 3; ++k) {
                const C3DVector3 n = Add(GetVertexNormal(vertices[k]), Scaled(face, 1.0f / float(uses[values[k]])));
                SetVertexNormal(vertices[k], n.x, n.y, n.z);
            }
        });
        // 3. Normalised.
        ForEachTriangle(g, [&](uint32_t ia, uint32_t ib, uint32_t ic, uint32_t a, uint32_t b, uint32_t c) {
            if (!valid(ia, ib, ic, a, b, c))
                return;
            for (uint32_t v : {a, b, c})
                SetNormalised(*this, *math, v, GetVertexNormal(v));
        });

        // 4. Vertices of this group at exactly the same position share the mean of their normals.
        const uint32_t first = r->baseVertex;
        if (first >= m_nVertexCount)
            continue;
        const uint32_t end = r->vertexCount < m_nVertexCount - first ? first + r->vertexCount : m_nVertexCount;
        std::vector<uint32_t> representative(end - first);
        std::vector<uint32_t> members(end - first, 0);
        std::unordered_map<PositionKey, uint32_t, PositionKeyHash> firstAt;
        for (uint32_t v = first; v < end; ++v) {
            PositionKey key;
            uint32_t rep = v;
            if (MakeKey(GetVertexPosition(v), &key))
                rep = firstAt.emplace(key, v).first->second;
            representative[v - first] = rep;
            ++members[rep - first];
        }
        for (uint32_t v = first; v < end; ++v) {
            const uint32_t rep = representative[v - first];
            const float n = float(members[rep - first]);
            if (rep == v) {
                if (members[v - first] >= 2) {
                    const C3DVector3 mean = Scaled(GetVertexNormal(v), 1.0f / n);
                    SetVertexNormal(v, mean.x, mean.y, mean.z);
                }
            } else {
                const C3DVector3 sum = Add(GetVertexNormal(rep), Scaled(GetVertexNormal(v), 1.0f / n));
                SetVertexNormal(rep, sum.x, sum.y, sum.z);
            }
        }
        for (uint32_t v = first; v < end; ++v) {
            const uint32_t rep = representative[v - first];
            if (rep != v) {
                const C3DVector3 shared = GetVertexNormal(rep);
                SetVertexNormal(v, shared.x, shared.y, shared.z);
            } else if (members[v - first] >= 2) {
                SetNormalised(*this, *math, v, GetVertexNormal(v));
            }
        }
    }
}
