// The text of a model: what `vornel model info` prints (the form is in ModelText.h).
#include <charconv>
#include <string>

#include "ModelText.h"

namespace {

// The shortest text that reads back to the same float.
std::string Number(float value)
{
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

std::string Hex(uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", value);
    return text;
}

// -1 for the unset word.
std::string Word(uint32_t value)
{
    return value == 0xFFFFFFFFu ? "-1" : std::to_string(value);
}

std::string Quoted(const char* text)
{
    std::string quoted = "\"";
    for (; *text; ++text) {
        if (*text == '"' || *text == '\\')
            quoted += '\\';
        quoted += *text;
    }
    return quoted + "\"";
}

template <typename Key> const Key* KeysOf(const C3DObjectModifier* modifier)
{
    return static_cast<const C3DObjectModifierTrack<Key>*>(modifier)->GetKeys();
}

template <typename Entry> const C3DModifierVertexKey<Entry>* VertexKeysOf(const C3DObjectModifier* modifier)
{
    return static_cast<const C3DObjectModifierVertex<Entry>*>(modifier)->GetKeys();
}

void PrintTriangles(std::FILE* out, const C3DModifierVertexPositionKey& key)
{
    for (uint32_t j = 0; j < key.entryCount; ++j) {
        std::fputs("triangle", out);
        for (const C3DVector3& p : key.entries[j].corner)
            std::fprintf(out, " %s %s %s", Number(p.x).c_str(), Number(p.y).c_str(), Number(p.z).c_str());
        std::fputs("\n", out);
    }
}

void PrintTriangles(std::FILE* out, const C3DModifierVertexTextureKey& key)
{
    for (uint32_t j = 0; j < key.entryCount; ++j) {
        std::fputs("triangle", out);
        for (const C3DVector2& uv : key.entries[j].corner)
            std::fprintf(out, " %s %s", Number(uv.x).c_str(), Number(uv.y).c_str());
        std::fputs("\n", out);
    }
}

void PrintTrack(std::FILE* out, const C3DObjectModifier* m)
{
    std::fprintf(out, "track %s group %u step %s\n", kModelTrackNames[m->GetKind()], m->GetGroup(),
                 Number(m->GetStep()).c_str());
    for (uint32_t i = 0; i < m->GetScheduleCount(); ++i)
        std::fprintf(out, "entry %u %s\n", m->GetSchedule()[i].key, Number(m->GetSchedule()[i].offset).c_str());
    for (uint32_t k = 0; k < m->GetKeyCount(); ++k) {
        switch (m->GetKind()) {
        case kModifierScale: {
            const auto& key = KeysOf<C3DModifierScaleKey>(m)[k];
            std::fprintf(out, "key %s %s\n", Number(key.duration).c_str(), Number(key.scale).c_str());
            break;
        }
        case kModifierPosition:
        case kModifierRotation: {
            const auto& key = KeysOf<C3DModifierVectorKey>(m)[k];
            std::fprintf(out, "key %s %s %s %s\n", Number(key.duration).c_str(), Number(key.x).c_str(),
                         Number(key.y).c_str(), Number(key.z).c_str());
            break;
        }
        case kModifierDirectAlpha: {
            const auto& key = KeysOf<C3DModifierAlphaKey>(m)[k];
            std::fprintf(out, "key %s %s\n", Number(key.duration).c_str(), Number(key.alpha).c_str());
            break;
        }
        case kModifierDirectColor: {
            const auto& key = KeysOf<C3DModifierColorKey>(m)[k];
            std::fprintf(out, "key %s %s\n", Number(key.duration).c_str(), Hex(key.color).c_str());
            break;
        }
        case kModifierVertexPosition: {
            const auto& key = VertexKeysOf<C3DModifierTrianglePositions>(m)[k];
            std::fprintf(out, "key %s\n", Number(key.duration).c_str());
            PrintTriangles(out, key);
            break;
        }
        case kModifierVertexTexture: {
            const auto& key = VertexKeysOf<C3DModifierTriangleUVs>(m)[k];
            std::fprintf(out, "key %s\n", Number(key.duration).c_str());
            PrintTriangles(out, key);
            break;
        }
        }
    }
}

} // namespace

void ModelText_Print(std::FILE* out, const C3DObjectRaw& raw, uint32_t flags, bool vertices)
{
    const C3DModelRecord* r = raw.GetRecord();
    std::fprintf(out, "model groups %u vertices %u indices %u index-width %u\n", r->groupCount, r->vertexCount,
                 r->indexCount, r->indexWidth);
    std::fputs("blocks", out);
    uint32_t known = 0;
    for (const CModelBlockName& block : kModelBlockNames) {
        known |= block.flag;
        if (flags & block.flag)
            std::fprintf(out, " %s", block.name);
    }
    std::fputs("\n", out);
    if (flags & ~known)
        std::fprintf(out, "other-flags %s\n", Hex(flags & ~known).c_str());
    if (flags & k3dxModifiers)
        std::fprintf(out, "modifier-table %s\n", r->modifiers ? "yes" : "no");

    for (uint32_t g = 0; g < r->groupCount; ++g) {
        const C3DGroupRecord& group = r->groups[g];
        std::fprintf(out,
                     "\ngroup %u id %s link %s base %u vertices %u first %u indices %u primitives %u type %u "
                     "face %u\n",
                     g, Word(group.id).c_str(), Word(group.link).c_str(), group.baseVertex, group.vertexCount,
                     group.firstIndex, group.indexCount, group.primitiveCount, group.type, group.faceMode);
        if (r->groupNames[g])
            std::fprintf(out, "name %s\n", Quoted(r->groupNames[g]).c_str());
        std::fprintf(out, "triple %u %u %u\n", r->triples[g][0], r->triples[g][1], r->triples[g][2]);
        if (r->textureNames[g])
            std::fprintf(out, "texture-name %s\n", Quoted(r->textureNames[g]).c_str());
        std::fprintf(out, "texture-kind %s\ntexture-flags %s\n", Hex(r->textureKinds[g]).c_str(),
                     Hex(r->textureFlags[g]).c_str());
        const C3DMaterial& m = r->materials[g];
        std::fputs("material", out);
        const char* colours[4] = {"diffuse", "ambient", "specular", "emissive"};
        const float* values[4] = {m.diffuse, m.ambient, m.specular, m.emissive};
        for (int c = 0; c < 4; ++c)
            std::fprintf(out, " %s %s %s %s %s", colours[c], Number(values[c][0]).c_str(),
                         Number(values[c][1]).c_str(), Number(values[c][2]).c_str(), Number(values[c][3]).c_str());
        std::fprintf(out, " power %s\n", Number(m.power).c_str());
        for (uint32_t kind = 0; r->modifiers && kind < kModifierKindCount; ++kind)
            if (const C3DObjectModifier* modifier = r->modifiers[g][kind])
                PrintTrack(out, modifier);
    }
    if (!vertices)
        return;
    if (r->vertexCount)
        std::fputs("\n", out);
    for (uint32_t v = 0; v < r->vertexCount; ++v) {
        const C3DVector3& p = r->positions[v];
        const C3DVector3& n = r->normals[v];
        std::fprintf(out, "vertex %s %s %s normal %s %s %s diffuse %s color2 %s uv %s %s\n", Number(p.x).c_str(),
                     Number(p.y).c_str(), Number(p.z).c_str(), Number(n.x).c_str(), Number(n.y).c_str(),
                     Number(n.z).c_str(), Hex(r->diffuse[v]).c_str(), Hex(r->color2[v]).c_str(),
                     Number(r->uvs[v].x).c_str(), Number(r->uvs[v].y).c_str());
    }
    for (uint32_t i = 0; i < r->indexCount; i += 16) {
        std::fputs(i == 0 ? "\nindex" : "index", out);
        for (uint32_t k = i; k < r->indexCount && k < i + 16; ++k)
            std::fprintf(out, " %u", r->indices[k]);
        std::fputs("\n", out);
    }
}
