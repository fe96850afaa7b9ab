// The text of a model read back into a raw model: what `vornel model build` writes (the form
// is in ModelText.h). Everything the ".3dx" reader would refuse is refused here first, with
// the line that says it.
#include <array>
#include <charconv>
#include <cstring>
#include <memory>
#include <vector>

#include "Commands.h"
#include "ModelText.h"
#include "Vornel3D_ToolBox/RecipeReader.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsStream_Static.h"
#include "VornelUtils/UtilsString.h"

namespace {

struct CTrackKey {
    float duration = 0;
    std::array<uint32_t, 3> words{};                // the value words after the duration
    std::vector<std::array<float, 9>> triangles;    // vertex kinds: 9 or 6 floats each
};

struct CTrackText {
    int line = 0;
    uint32_t kind = 0;
    uint32_t group = 0;
    float step = 1.0f;
    std::vector<C3DModifierScheduleEntry> entries;
    std::vector<CTrackKey> keys;
};

struct CGroupText {
    int line = 0;
    C3DGroupRecord record{};
    std::string name, texture;
    uint32_t triple[3] = {0, 0, 0};
    uint32_t kind = 0, flags = 0;
    C3DMaterial material = k3DDefaultMaterial;
    std::vector<CTrackText> tracks;
};

class CModelTextReader {
public:
    CModelTextReader(const std::string& name, const std::string& text) : m_in(name, text) {}

    bool Read(C3DObjectRaw& raw, uint32_t& flags, std::string& error);

private:
    bool Line();
    bool ModelLine();
    bool BlocksLine();
    bool GroupLine();
    bool TrackLine();
    bool KeyLine();
    bool TriangleLine();
    bool VertexLine();
    bool Build(C3DObjectRaw& raw);
    bool BuildTrack(C3DObjectRaw& raw, uint32_t g, const CTrackText& track);
    bool FailAt(int line, const std::string& reason);
    // Records the complaint against the line being read; false.
    bool Complain(const std::string& reason)
    {
        m_in.Fail(reason);
        return false;
    }

    // Word i as a float, a u32 (decimal or 0x hex; -1 when `unset` allows it), or a keyword.
    bool Float(size_t i, float& out);
    bool U32(size_t i, uint32_t& out, bool unset = false);
    bool Keyword(size_t i, const char* word);
    CGroupText* CurrentGroup(const char* what);
    CTrackText* CurrentTrack(const char* what);

    CRecipeReader m_in;
    bool m_model = false;
    int m_modelLine = 0;
    uint32_t m_groups = 0, m_vertices = 0, m_indices = 0, m_width = 0;
    uint32_t m_flags = 0;
    bool m_table = false;
    std::vector<CGroupText> m_groupTexts;
    std::vector<std::array<uint32_t, 15>> m_vertexWords;  // position, normal, diffuse, color2, uv
    std::vector<uint32_t> m_indexList;
    bool m_listing = false;  // vertices or indices have begun: no more groups
    std::string m_error;     // a complaint about a line read earlier
};

// Checks made after the whole text name the line they concern.
bool CModelTextReader::FailAt(int line, const std::string& reason)
{
    if (m_error.empty())
        m_error = m_in.Name() + ":" + std::to_string(line) + ": " + reason;
    return false;
}

bool CModelTextReader::Float(size_t i, float& out)
{
    if (i >= m_in.Count())
        return Complain("'" + m_in.Word(0) + "' lacks a number");
    const std::string& word = m_in.Word(i);
    const char* first = word.data() + (!word.empty() && word[0] == '+' ? 1 : 0);
    const auto result = std::from_chars(first, word.data() + word.size(), out);
    if (result.ec != std::errc() || result.ptr != word.data() + word.size() || first == result.ptr)
        return Complain("'" + word + "' is not a number");
    return true;
}

bool CModelTextReader::U32(size_t i, uint32_t& out, bool unset)
{
    if (i >= m_in.Count())
        return Complain("'" + m_in.Word(0) + "' lacks a whole number");
    const std::string& word = m_in.Word(i);
    if (unset && word == "-1") {
        out = 0xFFFFFFFFu;
        return true;
    }
    const bool hex = word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X');
    const char* first = word.data() + (hex ? 2 : 0);
    const auto result = std::from_chars(first, word.data() + word.size(), out, hex ? 16 : 10);
    if (result.ec != std::errc() || result.ptr != word.data() + word.size() || first == result.ptr)
        return Complain("'" + word + "' is not a whole number from 0 to 0xFFFFFFFF");
    return true;
}

bool CModelTextReader::Keyword(size_t i, const char* word)
{
    if (i < m_in.Count() && m_in.Word(i) == word)
        return true;
    return Complain(std::string("'") + word + "' expected");
}

CGroupText* CModelTextReader::CurrentGroup(const char* what)
{
    if (m_groupTexts.empty() || m_listing) {
        m_in.Fail(std::string("'") + what + "' belongs to a group");
        return nullptr;
    }
    return &m_groupTexts.back();
}

CTrackText* CModelTextReader::CurrentTrack(const char* what)
{
    CGroupText* group = CurrentGroup(what);
    if (group && group->tracks.empty()) {
        m_in.Fail(std::string("'") + what + "' belongs to a track");
        return nullptr;
    }
    return group ? &group->tracks.back() : nullptr;
}

bool CModelTextReader::ModelLine()
{
    if (m_model)
        return Complain("a second 'model' line");
    m_model = true;
    m_modelLine = m_in.LineNumber();
    return m_in.Expect(9, "model groups G vertices V indices I index-width W") && Keyword(1, "groups") &&
           U32(2, m_groups) && Keyword(3, "vertices") && U32(4, m_vertices) && Keyword(5, "indices") &&
           U32(6, m_indices) && Keyword(7, "index-width") && U32(8, m_width);
}

bool CModelTextReader::BlocksLine()
{
    for (size_t i = 1; i < m_in.Count(); ++i) {
        const CModelBlockName* found = nullptr;
        for (const CModelBlockName& block : kModelBlockNames)
            if (m_in.Word(i) == block.name)
                found = &block;
        if (!found)
            return Complain("'" + m_in.Word(i) + "' is not a block");
        m_flags |= found->flag;
    }
    return true;
}

bool CModelTextReader::GroupLine()
{
    if (!m_model)
        return Complain("the 'model' line comes before the groups");
    if (m_listing)
        return Complain("groups come before the vertices and indices");
    uint32_t number = 0;
    if (!U32(1, number))
        return false;
    if (number != m_groupTexts.size())
        return Complain("group " + std::to_string(m_groupTexts.size()) + " expected");
    CGroupText group;
    group.line = m_in.LineNumber();
    C3DGroupRecord& r = group.record;
    r = C3DGroupRecord{number, kGroupLinkUnset, 0, 0, 0, 0, 0, kPrimitiveTriangleList, kFaceModeBoth};
    bool primitives = false;
    uint32_t required = 0;
    const std::pair<const char*, uint32_t*> fields[] = {
        {"id", &r.id},       {"link", &r.link},     {"base", &r.baseVertex},          {"vertices", &r.vertexCount},
        {"first", &r.firstIndex}, {"indices", &r.indexCount}, {"primitives", &r.primitiveCount},
        {"type", &r.type},   {"face", &r.faceMode}};
    for (size_t i = 2; i < m_in.Count(); i += 2) {
        size_t f = 0;
        while (f < 9 && m_in.Word(i) != fields[f].first)
            ++f;
        if (f == 9)
            return Complain("'" + m_in.Word(i) + "' is not a group field");
        if (!U32(i + 1, *fields[f].second, f < 2))
            return false;
        primitives |= f == 6;
        required |= (f >= 2 && f <= 5) ? 1u << f : 0;
    }
    if (required != 0x3C)
        return Complain("a group gives its base, vertices, first and indices");
    if (!primitives)
        r.primitiveCount = C3DObjectIndex::CountPrimitives(r.type, r.indexCount);
    m_groupTexts.push_back(std::move(group));
    return true;
}

bool CModelTextReader::TrackLine()
{
    CGroupText* group = CurrentGroup("track");
    if (!group || !m_in.Expect(m_in.Count() < 2 ? 2 : m_in.Count(), "track KIND [group G] [step S]"))
        return false;
    CTrackText track;
    track.line = m_in.LineNumber();
    track.group = uint32_t(m_groupTexts.size() - 1);
    while (track.kind < kModifierKindCount && m_in.Word(1) != kModelTrackNames[track.kind])
        ++track.kind;
    if (track.kind == kModifierKindCount)
        return Complain("'" + m_in.Word(1) + "' is not a track kind");
    for (const CTrackText& other : group->tracks)
        if (other.kind == track.kind)
            return Complain("the group has a " + m_in.Word(1) + " track already");
    for (size_t i = 2; i < m_in.Count(); i += 2) {
        const bool ok = m_in.Word(i) == "group" ? U32(i + 1, track.group)
                        : m_in.Word(i) == "step" ? Float(i + 1, track.step)
                                                 : Complain("'" + m_in.Word(i) + "' is not a track field");
        if (!ok)
            return false;
    }
    group->tracks.push_back(std::move(track));
    return true;
}

bool CModelTextReader::KeyLine()
{
    CTrackText* track = CurrentTrack("key");
    if (!track)
        return false;
    static const size_t kValueWords[kModifierKindCount] = {1, 3, 3, 1, 1, 0, 0};
    const size_t values = kValueWords[track->kind];
    if (!m_in.Expect(2 + values, values == 0 ? "key DURATION" : values == 1 ? "key DURATION VALUE"
                                                                            : "key DURATION X Y Z"))
        return false;
    CTrackKey key;
    if (!Float(1, key.duration))
        return false;
    for (size_t v = 0; v < values; ++v) {
        if (track->kind == kModifierDirectColor) {
            if (!U32(2, key.words[0]))
                return false;
        } else {
            float value;
            if (!Float(2 + v, value))
                return false;
            std::memcpy(&key.words[v], &value, 4);
        }
    }
    track->keys.push_back(std::move(key));
    return true;
}

bool CModelTextReader::TriangleLine()
{
    CTrackText* track = CurrentTrack("triangle");
    if (!track)
        return false;
    if (track->kind != kModifierVertexPosition && track->kind != kModifierVertexTexture)
        return Complain("only vertex tracks have triangles");
    if (track->keys.empty())
        return Complain("'triangle' belongs to a key");
    const size_t count = track->kind == kModifierVertexPosition ? 9 : 6;
    if (!m_in.Expect(1 + count, count == 9 ? "triangle X Y Z X Y Z X Y Z" : "triangle U V U V U V"))
        return false;
    std::array<float, 9> values{};
    for (size_t i = 0; i < count; ++i)
        if (!Float(1 + i, values[i]))
            return false;
    track->keys.back().triangles.push_back(values);
    return true;
}

bool CModelTextReader::VertexLine()
{
    if (!m_in.Expect(15, "vertex X Y Z normal X Y Z diffuse 0xARGB color2 0xARGB uv U V"))
        return false;
    std::array<uint32_t, 15> words{};
    // Words 1-3 position, 5-7 normal, 9 diffuse, 11 second colour, 13-14 uv.
    const size_t floats[] = {1, 2, 3, 5, 6, 7, 13, 14};
    for (size_t i : floats) {
        float value;
        if (!Float(i, value))
            return false;
        std::memcpy(&words[i], &value, 4);
    }
    if (!Keyword(4, "normal") || !Keyword(8, "diffuse") || !U32(9, words[9]) || !Keyword(10, "color2") ||
        !U32(11, words[11]) || !Keyword(12, "uv"))
        return false;
    m_listing = true;
    m_vertexWords.push_back(words);
    return true;
}

bool CModelTextReader::Line()
{
    const std::string& keyword = m_in.Word(0);
    if (keyword == "model")
        return ModelLine();
    if (keyword == "blocks")
        return BlocksLine();
    if (keyword == "other-flags") {
        uint32_t other = 0;
        if (!m_in.Expect(2, "other-flags 0xXXXXXXXX") || !U32(1, other))
            return false;
        m_flags |= other;
        return true;
    }
    if (keyword == "modifier-table") {
        if (!m_in.Expect(2, "modifier-table yes|no"))
            return false;
        if (m_in.Word(1) != "yes" && m_in.Word(1) != "no")
            return Complain("modifier-table is yes or no");
        m_table = m_in.Word(1) == "yes";
        return true;
    }
    if (keyword == "group")
        return GroupLine();
    if (keyword == "name" || keyword == "texture-name") {
        CGroupText* group = CurrentGroup(keyword.c_str());
        if (!group || !m_in.Expect(2, (keyword + " \"TEXT\"").c_str()))
            return false;
        (keyword == "name" ? group->name : group->texture) = m_in.Word(1);
        return true;
    }
    if (keyword == "triple") {
        CGroupText* group = CurrentGroup("triple");
        return group && m_in.Expect(4, "triple A B C") && U32(1, group->triple[0]) && U32(2, group->triple[1]) &&
               U32(3, group->triple[2]);
    }
    if (keyword == "texture-kind" || keyword == "texture-flags") {
        CGroupText* group = CurrentGroup(keyword.c_str());
        return group && m_in.Expect(2, (keyword + " 0xXXXXXXXX").c_str()) &&
               U32(1, keyword == "texture-kind" ? group->kind : group->flags);
    }
    if (keyword == "material") {
        CGroupText* group = CurrentGroup("material");
        if (!group || !m_in.Expect(23, "material diffuse R G B A ambient R G B A specular R G B A emissive R G B "
                                       "A power P"))
            return false;
        float* colours[4] = {group->material.diffuse, group->material.ambient, group->material.specular,
                             group->material.emissive};
        const char* names[4] = {"diffuse", "ambient", "specular", "emissive"};
        for (size_t c = 0; c < 4; ++c) {
            if (!Keyword(1 + 5 * c, names[c]))
                return false;
            for (size_t k = 0; k < 4; ++k)
                if (!Float(2 + 5 * c + k, colours[c][k]))
                    return false;
        }
        return Keyword(21, "power") && Float(22, group->material.power);
    }
    if (keyword == "track")
        return TrackLine();
    if (keyword == "entry") {
        CTrackText* track = CurrentTrack("entry");
        C3DModifierScheduleEntry entry{};
        if (!track || !m_in.Expect(3, "entry KEY OFFSET") || !U32(1, entry.key) || !Float(2, entry.offset))
            return false;
        track->entries.push_back(entry);
        return true;
    }
    if (keyword == "key")
        return KeyLine();
    if (keyword == "triangle")
        return TriangleLine();
    if (keyword == "vertex")
        return VertexLine();
    if (keyword == "index") {
        m_listing = true;
        for (size_t i = 1; i < m_in.Count(); ++i) {
            uint32_t index = 0;
            if (!U32(i, index))
                return false;
            m_indexList.push_back(index);
        }
        return true;
    }
    return Complain("'" + keyword + "' is not a model line");
}

// The track's saved form, read through the engine's own loader. Without schedule entries, the
// schedule is made from the keys.
bool CModelTextReader::BuildTrack(C3DObjectRaw& raw, uint32_t g, const CTrackText& track)
{
    C3DModelRecord* r = raw.GetRecord();
    if (track.keys.empty())
        return FailAt(track.line, "a track has at least one key");
    const bool vertex = track.kind == kModifierVertexPosition || track.kind == kModifierVertexTexture;
    const size_t triangles = vertex ? track.keys[0].triangles.size() : 0;
    if (vertex && triangles == 0)
        return FailAt(track.line, "the keys of a vertex track have triangles");
    for (const CTrackKey& key : track.keys)
        if (key.triangles.size() != triangles)
            return FailAt(track.line, "every key of a vertex track has as many triangles as the first");
    if (uint64_t(triangles) * 3 > r->groups[g].indexCount)
        return FailAt(track.line, std::to_string(triangles) + " triangles do not fit the group's " +
                                      std::to_string(r->groups[g].indexCount) + " indices");
    for (const C3DModifierScheduleEntry& entry : track.entries)
        if (entry.key >= track.keys.size())
            return FailAt(track.line, "a schedule entry names key " + std::to_string(entry.key) + " of " +
                                          std::to_string(track.keys.size()));

    UtilsStream_Static saved(kStreamReadWriteGrowable, nullptr, 0);
    saved.Open();
    auto word = [&](uint32_t v) { saved.Write(&v, 4, 1); };
    auto real = [&](float v) { saved.Write(&v, 4, 1); };
    word(kModifierVersion);
    word(track.group);
    real(track.step);
    word(track.entries.empty() ? 1 : uint32_t(track.entries.size()));
    if (track.entries.empty()) {
        word(0);
        real(0.0f);
    }
    for (const C3DModifierScheduleEntry& entry : track.entries) {
        word(entry.key);
        real(entry.offset);
    }
    static const uint32_t kValueWords[kModifierKindCount] = {1, 3, 3, 1, 1, 0, 0};
    if (vertex)
        word(uint32_t(triangles));
    for (const CTrackKey& key : track.keys) {
        real(key.duration);
        for (uint32_t v = 0; v < kValueWords[track.kind]; ++v)
            word(key.words[v]);
        for (const auto& triangle : key.triangles)
            saved.Write(triangle.data(), 4, track.kind == kModifierVertexPosition ? 9 : 6);
    }

    C3DObjectModifier* modifier = CreateObjectModifier(track.kind, raw.GetWorldData());
    if (!modifier)
        return FailAt(track.line, "out of memory");
    r->modifiers[g][track.kind] = modifier;
    UtilsStream_Static in(kStreamRead, saved.GetBlock(), saved.GetSize());
    in.Open();
    Status status = modifier->Load(&in, uint32_t(track.keys.size()));
    if (Succeeded(status) && track.entries.empty()) {
        status = modifier->Create(nullptr, track.group, uint32_t(track.keys.size()), 0, track.step);
        modifier->SetRange(0, 0, 0.0f, true);
    }
    if (Failed(status))
        return FailAt(track.line, "the track does not load: " + StatusWords(status));
    return true;
}

bool CModelTextReader::Build(C3DObjectRaw& raw)
{
    if (!m_model)
        return Complain("the text has no 'model' line");
    if (m_groupTexts.size() != m_groups)
        return FailAt(m_modelLine, std::to_string(m_groups) + " groups declared, " +
                                std::to_string(m_groupTexts.size()) + " given");
    if (m_vertexWords.size() != m_vertices)
        return FailAt(m_modelLine, std::to_string(m_vertices) + " vertices declared, " +
                                std::to_string(m_vertexWords.size()) + " given");
    if (m_indexList.size() != m_indices)
        return FailAt(m_modelLine, std::to_string(m_indices) + " indices declared, " +
                                std::to_string(m_indexList.size()) + " given");
    if (m_vertices > 0 && !(m_flags & k3dxVertexBlocks))
        return FailAt(m_modelLine, "vertices are given but no vertex block is written");
    // A 16-bit file keeps the low 16 bits of each index: a larger one would read back as another.
    for (size_t i = 0; m_width == kIndexKind16 && i < m_indexList.size(); ++i)
        if (m_indexList[i] > 0xFFFF)
            return FailAt(m_modelLine, "index " + std::to_string(i) + " (" + std::to_string(m_indexList[i]) +
                                           ") does not fit index-width 1 (16 bits)");

    raw.Release();
    if (Failed(raw.Create(m_groups, m_vertices, m_indices)))
        return Complain("out of memory");
    C3DModelRecord* r = raw.GetRecord();
    r->indexWidth = m_width;
    for (uint32_t v = 0; v < m_vertices; ++v) {
        const auto& w = m_vertexWords[v];
        std::memcpy(&r->positions[v], &w[1], 12);
        std::memcpy(&r->normals[v], &w[5], 12);
        r->diffuse[v] = w[9];
        r->color2[v] = w[11];
        std::memcpy(&r->uvs[v], &w[13], 8);
    }
    if (m_indices)
        std::memcpy(r->indices, m_indexList.data(), m_indexList.size() * 4);
    bool tracks = m_table;
    for (uint32_t g = 0; g < m_groups; ++g) {
        const CGroupText& text = m_groupTexts[g];
        const C3DGroupRecord& record = text.record;
        if (record.id >= m_groups && record.id != kGroupIdOwnNumber)
            return FailAt(text.line, "the id names no group");
        if (uint64_t(record.firstIndex) + record.indexCount > m_indices)
            return FailAt(text.line, "the group's indices run past the " + std::to_string(m_indices) + " indices");
        for (uint32_t k = 0; k < record.indexCount; ++k)
            if (uint64_t(r->indices[record.firstIndex + k]) + record.baseVertex >= m_vertices)
                return FailAt(text.line, "index " + std::to_string(record.firstIndex + k) +
                                             " plus the base vertex names no vertex");
        r->groups[g] = record;
        r->materials[g] = text.material;
        std::memcpy(r->triples[g], text.triple, sizeof text.triple);
        if (!text.name.empty() && !(r->groupNames[g] = UtilsString_DupA(text.name.c_str())))
            return Complain("out of memory");
        if (Failed(raw.SetGroupTexture(g, text.texture.empty() ? nullptr : text.texture.c_str(), text.kind,
                                       text.flags)))
            return Complain("out of memory");
        tracks |= !text.tracks.empty();
    }
    if (tracks) {
        r->modifiers = static_cast<C3DModifierRow*>(UTILS_CALLOC(m_groups ? m_groups : 1, sizeof(C3DModifierRow)));
        if (!r->modifiers)
            return Complain("out of memory");
    }
    for (uint32_t g = 0; g < m_groups; ++g)
        for (const CTrackText& track : m_groupTexts[g].tracks)
            if (!BuildTrack(raw, g, track))
                return false;
    return true;
}

bool CModelTextReader::Read(C3DObjectRaw& raw, uint32_t& flags, std::string& error)
{
    bool ok = true;
    while (ok && m_in.NextLine())
        ok = m_in.Error().empty() && Line();
    ok = ok && m_in.Error().empty() && Build(raw);
    error = !m_in.Error().empty() ? m_in.Error() : m_error;
    flags = m_flags;
    return ok && error.empty();
}

} // namespace

bool ModelText_Read(const std::string& name, const std::string& text, C3DObjectRaw& raw, uint32_t& flags,
                    std::string& error)
{
    return CModelTextReader(name, text).Read(raw, flags, error);
}
