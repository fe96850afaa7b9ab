// The scene source: its reader (for `vornel scene build`) and its printer (for `dump`). The
// element keys live in one table, so that what the printer writes the reader takes back, and
// a dump built again gives the same bytes.
#include "SceneSource.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>

namespace {

struct Token {
    std::string text;
    bool quoted = false;
};

// Words of a line; a quoted part keeps its blanks; '#' at the start of a word ends the line.
bool Tokenize(const std::string& line, std::vector<Token>& tokens, std::string& error)
{
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i])))
            ++i;
        if (i >= line.size() || line[i] == '#')
            break;
        Token token;
        while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i]))) {
            if (line[i] == '"') {
                const size_t end = line.find('"', i + 1);
                if (end == std::string::npos) {
                    error = "unterminated quote";
                    return false;
                }
                token.text += line.substr(i + 1, end - i - 1);
                token.quoted = true;
                i = end + 1;
            } else {
                token.text += line[i++];
            }
        }
        tokens.push_back(token);
    }
    return true;
}

bool ParseU32(const std::string& text, uint32_t* pValue)
{
    const char* first = text.data();
    const char* last = first + text.size();
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        first += 2;
        base = 16;
    }
    const auto result = std::from_chars(first, last, *pValue, base);
    return first != last && result.ec == std::errc() && result.ptr == last;
}

bool ParseI32(const std::string& text, int32_t* pValue)
{
    const char* last = text.data() + text.size();
    const auto result = std::from_chars(text.data(), last, *pValue);
    return !text.empty() && result.ec == std::errc() && result.ptr == last;
}

template <typename T>
bool ParseByte(const std::string& text, T* pValue)
{
    uint32_t value = 0;
    if (!ParseU32(text, &value) || value > 0xFF)
        return false;
    *pValue = T(value);
    return true;
}

bool ParseFloat(const std::string& text, float* pValue)
{
    const char* last = text.data() + text.size();
    const auto result = std::from_chars(text.data(), last, *pValue);
    return !text.empty() && result.ec == std::errc() && result.ptr == last;
}

// N comma-separated values.
template <typename T, typename Parse>
bool ParseList(const std::string& text, T* pValues, size_t count, Parse parse)
{
    size_t at = 0;
    for (size_t i = 0; i < count; ++i) {
        const size_t comma = i + 1 < count ? text.find(',', at) : text.size();
        if (comma == std::string::npos || !parse(text.substr(at, comma - at), &pValues[i]))
            return false;
        at = comma + 1;
    }
    return at == text.size() + 1;
}

// A track's range word holds its length in seconds as float bits.
bool ParseSeconds(const std::string& text, uint32_t* pWord)
{
    float seconds = 0.0f;
    if (!ParseFloat(text, &seconds) || seconds < 0.0f)
        return false;
    std::memcpy(pWord, &seconds, 4);
    return true;
}

float SecondsOf(uint32_t word)
{
    float seconds;
    std::memcpy(&seconds, &word, 4);
    return seconds;
}

bool ParseFloats(const std::string& text, float* pValues, size_t count)
{
    return ParseList(text, pValues, count, ParseFloat);
}

bool ParseColour(const std::string& text, uint32_t* pValue)
{
    if (text.size() != 7 && text.size() != 9)
        return false;
    if (text[0] != '#' || !ParseU32("0x" + text.substr(1), pValue))
        return false;
    if (text.size() == 7)
        *pValue |= 0xFF000000u;
    return true;
}

// Shortest text that reads back to the same float.
std::string Float(float value)
{
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string Floats(const float* pValues, size_t count)
{
    std::string text;
    for (size_t i = 0; i < count; ++i)
        text += (i ? "," : "") + Float(pValues[i]);
    return text;
}

std::string Hex(uint32_t value)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%08X", value);
    return buffer;
}

bool SameBits(const float* a, const float* b, size_t count) { return std::memcmp(a, b, count * sizeof(float)) == 0; }

// A name as a word of the source: quoted when it has blanks or characters the reader splits on.
std::string Word(const char* name)
{
    if (!name)
        return "-";
    const std::string text = name;
    const bool plain = !text.empty() && text != "-" && text[0] != '#' &&
                       text.find_first_of(" \t\"=,") == std::string::npos;
    return plain ? text : "\"" + text + "\"";
}

const char* const kEffectNames[] = {"none", "storm", "flicker", "pulse", "flicker-cycle", "drift"};
// Track kinds by number; the vertex kinds are made by the modelling tools, not by the source.
const char* const kAnimKindNames[kElementTrackKinds] = {"scale",  "position",        "rotation",      "alpha",
                                                        "colour", "vertex-position", "vertex-texture"};

// The element's centre from its place and size, as the build derives it.
void DeriveOffset(const float* at, const float* size, float* pOffset)
{
    pOffset[0] = at[0] + size[0] * 0.5f;
    pOffset[1] = at[1] + size[1] * 0.5f;
}

void DeriveBounds(const float* size, float* pBounds)
{
    pBounds[0] = -size[0] * 0.5f;
    pBounds[1] = -size[1] * 0.5f;
    pBounds[2] = size[0] * 0.5f;
    pBounds[3] = size[1] * 0.5f;
}

// ---- the element keys -------------------------------------------------------------------------

using Element = SceneSource::Element;
// A value into the element; false when it does not read.
using KeyReader = std::function<bool(Element&, const std::string&)>;
// What the printer writes for the key, empty when the element has the default. `names` and
// `zones` turn indexes into names.
struct PrintContext {
    const ElementInfoView& view;
    uint32_t index;
};
using KeyPrinter = std::function<std::string(const ElementRecord&, const PrintContext&)>;

struct ElementKey {
    const char* key;
    bool raw;       // printed on the element's raw line
    const char* bare;  // the value a bare key stands for, or null when it needs one
    KeyReader read;
    KeyPrinter print;
};

std::string ElementName(const PrintContext& c, int32_t index)
{
    return index < 0 || uint32_t(index) >= c.view.elementCount ? "" : Word(c.view.Element(uint32_t(index)).pName);
}

std::string ZoneName(const PrintContext& c, int32_t index)
{
    return index < 0 || uint32_t(index) >= c.view.zoneCount ? "" : Word(c.view.pZones[index].pName);
}

template <typename T>
KeyReader ReadU32Field(T ElementRecord::*field)
{
    return [field](Element& e, const std::string& v) {
        uint32_t value = 0;
        if (!ParseU32(v, &value))
            return false;
        e.record.*field = T(value);
        return true;
    };
}

template <typename T>
KeyReader ReadByteField(T ElementRecord::*field)
{
    return [field](Element& e, const std::string& v) { return ParseByte(v, &(e.record.*field)); };
}

template <typename T>
KeyPrinter PrintNumber(T ElementRecord::*field, T rest)
{
    return [field, rest](const ElementRecord& r, const PrintContext&) {
        return r.*field == rest ? std::string() : std::to_string(r.*field);
    };
}

KeyReader ReadName(std::string Element::*field)
{
    return [field](Element& e, const std::string& v) {
        e.*field = v;
        return !v.empty();
    };
}

const std::vector<ElementKey>& ElementKeys()
{
    static const std::vector<ElementKey> keys = {
        {"at", false, nullptr, [](Element& e, const std::string& v) { return ParseFloats(v, e.at, 2); },
         [](const ElementRecord& r, const PrintContext&) {
             const float at[2] = {r.baseOffset[0] - r.size[0] * 0.5f, r.baseOffset[1] - r.size[1] * 0.5f};
             return Floats(at, 2);
         }},
        {"size", false, nullptr, [](Element& e, const std::string& v) { return ParseFloats(v, e.record.size, 2); },
         [](const ElementRecord& r, const PrintContext&) { return Floats(r.size, 2); }},
        {"z", false, nullptr, [](Element& e, const std::string& v) { return ParseFloat(v, &e.record.baseOffset[2]); },
         [](const ElementRecord& r, const PrintContext&) {
             const float zero = 0.0f;
             return SameBits(&r.baseOffset[2], &zero, 1) ? std::string() : Float(r.baseOffset[2]);
         }},
        {"anchor", false, nullptr, ReadU32Field(&ElementRecord::anchor), PrintNumber(&ElementRecord::anchor, 0u)},
        {"zone", false, nullptr, ReadName(&Element::zone),
         [](const ElementRecord& r, const PrintContext& c) { return ZoneName(c, r.zone); }},
        {"hit", false, nullptr, ReadName(&Element::hit),
         [](const ElementRecord& r, const PrintContext& c) { return ZoneName(c, r.hitRect); }},
        {"proxy", false, nullptr, ReadName(&Element::proxy),
         [](const ElementRecord& r, const PrintContext& c) { return ElementName(c, r.hitProxy); }},
        {"material", false, nullptr, ReadName(&Element::material),
         [](const ElementRecord& r, const PrintContext& c) { return ElementName(c, r.materialElement); }},
        {"lock", false, nullptr, ReadName(&Element::lock),
         [](const ElementRecord& r, const PrintContext& c) { return ElementName(c, r.lockScreenRef); }},
        {"inactive", false, "1", ReadByteField(&ElementRecord::inactive),
         [](const ElementRecord& r, const PrintContext&) {
             return r.inactive == 0 ? std::string() : r.inactive == 1 ? std::string("1") : std::to_string(r.inactive);
         }},
        {"pickable", false, "1", ReadByteField(&ElementRecord::pickable), PrintNumber(&ElementRecord::pickable, uint8_t(1))},
        {"additive", false, "1", ReadByteField(&ElementRecord::additive), PrintNumber(&ElementRecord::additive, uint8_t(0))},
        {"colour", false, nullptr, [](Element& e, const std::string& v) { return ParseColour(v, &e.record.color); },
         [](const ElementRecord& r, const PrintContext&) {
             return r.color == 0xFFFFFFFFu ? std::string() : "#" + Hex(r.color);
         }},
        {"ref", false, nullptr, [](Element& e, const std::string& v) { return ParseI32(v, &e.record.referenceWord); },
         PrintNumber(&ElementRecord::referenceWord, -1)},
        {"textsize", false, nullptr, ReadU32Field(&ElementRecord::textSize), PrintNumber(&ElementRecord::textSize, 0u)},
        {"textrect", false, nullptr, ReadU32Field(&ElementRecord::textRect), PrintNumber(&ElementRecord::textRect, 0u)},
        {"passmask", false, nullptr, ReadU32Field(&ElementRecord::passMask), PrintNumber(&ElementRecord::passMask, 0u)},
        {"margin", false, nullptr, [](Element& e, const std::string& v) { return ParseFloat(v, &e.record.hitMargin); },
         [](const ElementRecord& r, const PrintContext&) {
             const float zero = 0.0f;
             return SameBits(&r.hitMargin, &zero, 1) ? std::string() : Float(r.hitMargin);
         }},
        {"place", false, nullptr, [](Element& e, const std::string& v) { return ParseFloats(v, e.record.placeOffset, 3); },
         [](const ElementRecord& r, const PrintContext&) {
             const float zero[3] = {};
             return SameBits(r.placeOffset, zero, 3) ? std::string() : Floats(r.placeOffset, 3);
         }},
        {"pivot", false, nullptr, [](Element& e, const std::string& v) { return ParseFloats(v, e.record.pivot, 2); },
         [](const ElementRecord& r, const PrintContext&) {
             const float zero[2] = {};
             return SameBits(r.pivot, zero, 2) ? std::string() : Floats(r.pivot, 2);
         }},
        // The fields whose use lies with the kinds, stored as read, and the derivations' overrides.
        {"lead", true, nullptr, ReadByteField(&ElementRecord::leadByte), PrintNumber(&ElementRecord::leadByte, uint8_t(0))},
        {"flag4", true, nullptr, ReadByteField(&ElementRecord::flagByte4), PrintNumber(&ElementRecord::flagByte4, uint8_t(0))},
        {"word", true, nullptr, ReadU32Field(&ElementRecord::geometryWord), PrintNumber(&ElementRecord::geometryWord, 0u)},
        {"anim", true, nullptr,
         [](Element& e, const std::string& v) {
             uint8_t bytes[2];
             if (!ParseList(v, bytes, 2, ParseByte<uint8_t>))
                 return false;
             e.record.animationByteA = bytes[0];
             e.record.animationByteB = bytes[1];
             return true;
         },
         [](const ElementRecord& r, const PrintContext&) {
             return r.animationByteA == 0 && r.animationByteB == 0
                        ? std::string()
                        : std::to_string(r.animationByteA) + "," + std::to_string(r.animationByteB);
         }},
        {"link", true, nullptr, ReadName(&Element::third),
         [](const ElementRecord& r, const PrintContext& c) { return ElementName(c, r.thirdReference); }},
        {"slot", true, nullptr,
         [](Element& e, const std::string& v) { return e.slotGiven = ParseU32(v, &e.record.drawSlot); },
         [](const ElementRecord& r, const PrintContext& c) {
             return r.drawSlot == c.index ? std::string() : std::to_string(r.drawSlot);
         }},
        {"bounds", true, nullptr,
         [](Element& e, const std::string& v) { return e.boundsGiven = ParseFloats(v, e.record.bounds, 4); },
         [](const ElementRecord& r, const PrintContext&) {
             float derived[4];
             DeriveBounds(r.size, derived);
             return SameBits(r.bounds, derived, 4) ? std::string() : Floats(r.bounds, 4);
         }},
        {"offset", true, nullptr,
         [](Element& e, const std::string& v) { return e.offsetGiven = ParseFloats(v, e.record.baseOffset, 2); },
         [](const ElementRecord& r, const PrintContext&) {
             // Given when the place printed as "at" does not lead back to the same centre.
             float at[2] = {r.baseOffset[0] - r.size[0] * 0.5f, r.baseOffset[1] - r.size[1] * 0.5f};
             for (float& value : at)
                 ParseFloat(Float(value), &value);
             float derived[2];
             DeriveOffset(at, r.size, derived);
             return SameBits(r.baseOffset, derived, 2) ? std::string() : Floats(r.baseOffset, 2);
         }},
    };
    return keys;
}

const ElementKey* FindElementKey(const std::string& key)
{
    for (const ElementKey& row : ElementKeys())
        if (key == row.key)
            return &row;
    return nullptr;
}

// ---- reading -----------------------------------------------------------------------------------

class CSceneReader {
public:
    CSceneReader(const std::string& path, SceneSource& source) : m_path(path), m_source(source) {}

    bool Read(std::string& error);

private:
    bool Fail(const std::string& what)
    {
        m_error = m_path + ":" + std::to_string(m_line) + ": " + what;
        return false;
    }
    bool ObjectLine(const std::vector<Token>& words);
    bool ElementLine(const std::vector<Token>& words);
    bool ElementOptions(Element& e, const std::vector<Token>& words, size_t first);
    bool Finish();
    // "-" (not quoted) is no name.
    static std::string NameOf(const Token& token) { return !token.quoted && token.text == "-" ? "" : token.text; }
    bool Name(const Token& token, std::string& name, const char* what)
    {
        name = token.text;
        if (name.empty())
            return Fail(std::string("empty ") + what + " name");
        if (name.size() >= kElementInfoTextLimit)
            return Fail(std::string(what) + " name of 4096 bytes or more");
        return true;
    }

    const std::string& m_path;
    SceneSource& m_source;
    int m_line = 0;
    bool m_objectSeen = false;
    std::string m_error;
};

bool CSceneReader::Read(std::string& error)
{
    std::ifstream in(m_path);
    if (!in) {
        error = "cannot read " + m_path;
        return false;
    }
    std::string line;
    bool ok = true;
    while (ok && std::getline(in, line)) {
        ++m_line;
        std::vector<Token> words;
        if (!Tokenize(line, words, m_error)) {
            ok = Fail(m_error);
            break;
        }
        if (words.empty())
            continue;
        const bool indented = std::isspace(static_cast<unsigned char>(line[0]));
        ok = indented ? ElementLine(words) : ObjectLine(words);
    }
    if (ok && !m_objectSeen) {
        m_line = 0;
        ok = Fail("no object line");
    }
    if (ok)
        ok = Finish();
    if (!ok)
        error = m_error;
    return ok;
}

bool CSceneReader::ObjectLine(const std::vector<Token>& words)
{
    const std::string& what = words[0].text;
    SceneSource& s = m_source;
    if (what == "object") {
        if (m_objectSeen)
            return Fail("a second object line");
        if (words.size() < 2)
            return Fail("object needs a name");
        if (!Name(words[1], s.name, "object"))
            return false;
        m_objectSeen = true;
        for (size_t i = 2; i < words.size(); ++i) {
            const std::string& word = words[i].text;
            const size_t equals = word.find('=');
            const std::string key = word.substr(0, equals), value = equals == std::string::npos ? "" : word.substr(equals + 1);
            int32_t bias = 0;
            if (key == "overlay" && ParseByte(value, &s.overlay))
                continue;
            if (key == "bias" && ParseI32(value, &bias) && bias >= -128 && bias <= 127) {
                s.textureBias = int8_t(bias);
                continue;
            }
            int32_t marks[2];
            if (key == "marks" && ParseList(value, marks, 2, ParseI32)) {
                s.marksGiven = true;
                s.firstMark = marks[0];
                s.lastMark = marks[1];
                continue;
            }
            return Fail("bad object option '" + word + "'");
        }
        return true;
    }
    if (what == "size")
        return words.size() == 2 && ParseU32(words[1].text, &s.sizeWord) ? true : Fail("size needs one number");
    if (what == "variant") {
        for (size_t i = 1; i < words.size(); ++i) {
            uint8_t byte = 0;
            if (!ParseByte(words[i].text, &byte))
                return Fail("bad variant byte '" + words[i].text + "'");
            s.variants.push_back(byte);
        }
        return true;
    }
    if (what == "sound") {
        std::string name;
        if (words.size() != 2)
            return Fail("sound needs one name");
        if (!Name(words[1], name, "sound"))
            return false;
        s.sounds.push_back(name);
        return true;
    }
    if (what == "zone") {
        ObjectZone zone = {};
        std::string name;
        if (words.size() > 1 && !Name(words[1], name, "zone"))
            return false;
        if (words.size() < 6 || !ParseFloat(words[2].text, &zone.left) ||
            !ParseFloat(words[3].text, &zone.top) || !ParseFloat(words[4].text, &zone.right) ||
            !ParseFloat(words[5].text, &zone.bottom))
            return Fail("zone needs a name and left, top, right, bottom");
        for (size_t i = 6; i < words.size(); ++i) {
            const std::string& word = words[i].text;
            if (word.rfind("word=", 0) == 0 && ParseU32(word.substr(5), &zone.word))
                continue;
            if (word.rfind("flag=", 0) == 0 && ParseByte(word.substr(5), &zone.flag))
                continue;
            return Fail("bad zone option '" + word + "'");
        }
        if (std::find(s.zoneNames.begin(), s.zoneNames.end(), name) != s.zoneNames.end())
            return Fail("a second zone named '" + name + "'");
        s.zones.push_back(zone);
        s.zoneNames.push_back(name);
        return true;
    }
    if (what == "position") {
        NamedPosition position = {};
        if (words.size() != 5 || !ParseFloat(words[2].text, &position.x) || !ParseFloat(words[3].text, &position.y) ||
            !ParseFloat(words[4].text, &position.z))
            return Fail("position needs a name and x, y, z");
        s.positions.push_back(position);
        s.positionNames.push_back(NameOf(words[1]));
        return true;
    }
    if (what == "element") {
        Element e;
        CObjectsBase::ResetElement(&e.record);
        e.record.pickable = 1;
        e.record.color = 0xFFFFFFFFu;
        e.line = m_line;
        if (words.size() < 2)
            return Fail("element needs a name");
        if (!Name(words[1], e.name, "element"))
            return false;
        if (!ElementOptions(e, words, 2))
            return false;
        s.elements.push_back(std::move(e));
        return true;
    }
    return Fail("unknown line '" + what + "'");
}

bool CSceneReader::ElementOptions(Element& e, const std::vector<Token>& words, size_t first)
{
    for (size_t i = first; i < words.size(); ++i) {
        const std::string& word = words[i].text;
        const size_t equals = word.find('=');
        const ElementKey* key = FindElementKey(word.substr(0, equals));
        if (!key)
            return Fail("unknown element option '" + word + "'");
        if (equals == std::string::npos && !key->bare)
            return Fail("option '" + word + "' needs a value");
        const std::string value = equals == std::string::npos ? key->bare : word.substr(equals + 1);
        if (!key->read(e, value))
            return Fail("bad value in '" + word + "'");
    }
    return true;
}

bool CSceneReader::ElementLine(const std::vector<Token>& words)
{
    if (m_source.elements.empty())
        return Fail("an indented line before the first element");
    Element& e = m_source.elements.back();
    const std::string& what = words[0].text;
    if (what == "raw")
        return ElementOptions(e, words, 1);
    if (what == "position") {
        NamedPosition position = {};
        if (words.size() != 5 || !ParseFloat(words[2].text, &position.x) || !ParseFloat(words[3].text, &position.y) ||
            !ParseFloat(words[4].text, &position.z))
            return Fail("position needs a name and x, y, z");
        e.positions.push_back(position);
        e.positionNames.push_back(NameOf(words[1]));
        return true;
    }
    if (what == "rotation" || what == "scale") {
        NamedValue value = {};
        if (words.size() != 3 || !ParseFloat(words[2].text, &value.value))
            return Fail(what + " needs a name and a value");
        (what == "rotation" ? e.rotations : e.scales).push_back(value);
        (what == "rotation" ? e.rotationNames : e.scaleNames).push_back(NameOf(words[1]));
        return true;
    }
    if (what == "track") {
        AnimationTrack track = {};
        if (words.size() < 2)
            return Fail("track needs a name");
        for (size_t i = 2; i < words.size(); ++i) {
            const std::string& word = words[i].text;
            const size_t equals = word.find('=');
            const std::string key = word.substr(0, equals), value = equals == std::string::npos ? "" : word.substr(equals + 1);
            const bool ok = key == "word"    ? ParseU32(value, &track.trackWord)
                            : key == "flag"  ? ParseByte(value, &track.flag)
                            : key == "range" ? ParseSeconds(value, &track.rangeWord)
                            : key == "first" ? ParseU32(value, &track.firstKey)
                            : key == "last"  ? ParseU32(value, &track.lastKey)
                                             : false;
            if (!ok)
                return Fail("bad track option '" + word + "'");
        }
        e.tracks.push_back(track);
        e.trackNames.push_back(NameOf(words[1]));
        return true;
    }
    if (what == "effect") {
        if (words.size() != 2 && words.size() != 6)
            return Fail("effect needs a kind and none or four parameters");
        uint32_t kind = 0;
        for (uint32_t k = kEffectStorm; k <= kEffectKindLast; ++k)
            if (words[1].text == kEffectNames[k])
                kind = k;
        if (kind == 0)
            return Fail("unknown effect '" + words[1].text + "'");
        e.record.effectKind = kind;
        e.effect = {};
        if (words.size() == 6 &&
            (!ParseFloat(words[2].text, &e.effect.period) || !ParseByte(words[3].text, &e.effect.minimum) ||
             !ParseByte(words[4].text, &e.effect.maximum) || !ParseFloat(words[5].text, &e.effect.angle)))
            return Fail("bad effect parameters");
        return true;
    }
    if (what == "texture") {
        if (words.size() != 2 || words[1].text.empty())
            return Fail("texture needs one name");
        e.texture = words[1].text;
        return true;
    }
    if (what == "hit") {
        if (words.size() < 5 || words[1].text != "polygon")
            return Fail("hit polygon needs three points or more");
        e.polygon.clear();
        for (size_t i = 2; i < words.size(); ++i) {
            float point[2];
            if (!ParseFloats(words[i].text, point, 2))
                return Fail("bad point '" + words[i].text + "'");
            e.polygon.insert(e.polygon.end(), point, point + 2);
        }
        return true;
    }
    if (what == "anim") {
        uint32_t kind = kElementTrackKinds;
        for (uint32_t k = 0; k < kElementTrackKinds; ++k)
            if (words.size() > 1 && words[1].text == kAnimKindNames[k])
                kind = k;
        const uint32_t valueWords = SceneSource_AnimValueWords(kind);
        if (!valueWords)
            return Fail("anim needs a kind: scale, position, rotation, alpha or colour");
        for (const auto& other : e.anims)
            if (other.kind == kind)
                return Fail("a second " + words[1].text + " track");
        if (words.size() < 3)
            return Fail("anim needs one key or more");
        Element::Anim anim{kind, {}};
        for (size_t i = 2; i < words.size(); ++i) {
            const std::string& key = words[i].text;
            const size_t equals = key.find('=');
            float duration = 0.0f;
            float values[3] = {};
            bool ok = equals != std::string::npos && ParseFloat(key.substr(0, equals), &duration) && duration > 0.0f;
            const std::string value = ok ? key.substr(equals + 1) : "";
            if (ok && kind == kModifierDirectColor) {
                uint32_t colour = 0;
                ok = ParseColour(value, &colour);
                std::memcpy(values, &colour, 4);
            } else if (ok) {
                ok = ParseFloats(value, values, valueWords);
            }
            if (!ok)
                return Fail("bad key '" + key + "'");
            anim.keys.push_back(duration);
            anim.keys.insert(anim.keys.end(), values, values + valueWords);
        }
        e.anims.push_back(anim);
        return true;
    }
    if (what == "extra") {
        ElementExtra extra = {};
        if (words.size() != 5)
            return Fail("extra needs four words");
        for (int i = 0; i < 4; ++i)
            if (!ParseU32(words[i + 1].text, &extra.words[i]))
                return Fail("bad extra word '" + words[i + 1].text + "'");
        e.extras.push_back(extra);
        return true;
    }
    return Fail("unknown element line '" + what + "'");
}

bool CSceneReader::Finish()
{
    SceneSource& s = m_source;
    std::map<std::string, int32_t> elements, zones;
    for (size_t i = 0; i < s.elements.size(); ++i) {
        m_line = s.elements[i].line;
        if (!elements.emplace(s.elements[i].name, int32_t(i)).second)
            return Fail("a second element named '" + s.elements[i].name + "'");
    }
    for (size_t i = 0; i < s.zoneNames.size(); ++i)
        zones.emplace(s.zoneNames[i], int32_t(i));
    auto resolve = [this](const std::map<std::string, int32_t>& names, const std::string& name, const char* what,
                          int32_t* pIndex) {
        if (name.empty())
            return true;
        const auto found = names.find(name);
        if (found == names.end())
            return Fail(std::string("unknown ") + what + " '" + name + "'");
        *pIndex = found->second;
        return true;
    };
    const uint32_t count = uint32_t(s.elements.size());
    for (uint32_t i = 0; i < count; ++i) {
        Element& e = s.elements[i];
        ElementRecord& r = e.record;
        m_line = e.line;
        if (!resolve(elements, e.proxy, "element", &r.hitProxy) ||
            !resolve(elements, e.material, "element", &r.materialElement) ||
            !resolve(elements, e.third, "element", &r.thirdReference) ||
            !resolve(elements, e.lock, "element", &r.lockScreenRef) || !resolve(zones, e.zone, "zone", &r.zone) ||
            !resolve(zones, e.hit, "zone", &r.hitRect))
            return false;
        // The game reads a reference to the element itself as none.
        for (int32_t* reference : {&r.hitProxy, &r.materialElement, &r.thirdReference})
            if (*reference == int32_t(i))
                *reference = -1;
        if (r.anchor >= kAnchorCodeCount)
            return Fail("anchor " + std::to_string(r.anchor) + " is not 0 to 29");
        if (!e.slotGiven)
            r.drawSlot = i;
        else if (r.drawSlot >= count)
            return Fail("draw slot " + std::to_string(r.drawSlot) + " names no element");
        if (!e.offsetGiven)
            DeriveOffset(e.at, r.size, r.baseOffset);
        if (!e.boundsGiven)
            DeriveBounds(r.size, r.bounds);
    }
    s.nameIndex.resize(count);
    for (uint32_t i = 0; i < count; ++i)
        s.nameIndex[i] = i;
    std::sort(s.nameIndex.begin(), s.nameIndex.end(),
              [&s](uint32_t a, uint32_t b) { return std::strcmp(s.elements[a].name.c_str(), s.elements[b].name.c_str()) < 0; });
    if (!s.marksGiven) {
        for (const Element& e : s.elements) {
            const int32_t word = e.record.referenceWord;
            if (word == -1)
                continue;
            if (s.firstMark == -1 || word < s.firstMark)
                s.firstMark = word;
            if (s.lastMark == -1 || word > s.lastMark)
                s.lastMark = word;
        }
    }
    return true;
}

template <typename T>
void NameRecords(std::vector<T>& records, std::vector<std::string>& names)
{
    for (size_t i = 0; i < records.size(); ++i)
        records[i].pName = names[i].empty() ? nullptr : names[i].data();
}

// ---- printing ----------------------------------------------------------------------------------

void PrintNamedValues(std::ostringstream& out, const char* what, const NamedValue* pValues, uint32_t count)
{
    for (uint32_t i = 0; i < count; ++i)
        out << "  " << what << " " << Word(pValues[i].pName) << " " << Float(pValues[i].value) << "\n";
}

void PrintElement(std::ostringstream& out, const ElementInfoView& view, uint32_t index)
{
    const ElementRecord& r = view.Element(index);
    const PrintContext context{view, index};
    out << "element " << Word(r.pName);
    std::string raw;
    for (const ElementKey& key : ElementKeys()) {
        const std::string value = key.print(r, context);
        if (value.empty() && std::strcmp(key.key, "at") != 0 && std::strcmp(key.key, "size") != 0)
            continue;
        const std::string option = key.bare && value == key.bare ? key.key : std::string(key.key) + "=" + value;
        if (key.raw)
            raw += " " + option;
        else
            out << " " << option;
    }
    out << "\n";
    if (!raw.empty())
        out << "  raw" << raw << "\n";
    for (uint32_t i = 0; i < r.positionCount; ++i) {
        const NamedPosition& p = r.pPositions[i];
        out << "  position " << Word(p.pName) << " " << Float(p.x) << " " << Float(p.y) << " " << Float(p.z) << "\n";
    }
    PrintNamedValues(out, "rotation", r.pRotations, r.rotationCount);
    PrintNamedValues(out, "scale", r.pScales, r.scaleCount);
    for (uint32_t i = 0; i < r.trackCount; ++i) {
        const AnimationTrack& t = r.pTracks[i];
        out << "  track " << Word(t.pName) << " word=" << t.trackWord << " flag=" << unsigned(t.flag)
            << " range=" << Float(SecondsOf(t.rangeWord)) << " first=" << t.firstKey << " last=" << t.lastKey << "\n";
    }
    if (r.effectKind != kEffectNone) {
        out << "  effect " << (r.effectKind <= kEffectKindLast ? kEffectNames[r.effectKind] : "?");
        const EffectParameters p = r.pEffectParameters ? *r.pEffectParameters : EffectParameters{};
        if (p.period != 0.0f || p.minimum || p.maximum || p.angle != 0.0f)
            out << " " << Float(p.period) << " " << unsigned(p.minimum) << " " << unsigned(p.maximum) << " "
                << Float(p.angle);
        out << "\n";
    }
    for (uint32_t i = 0; i < r.extraCount; ++i) {
        const uint32_t* w = r.pExtras[i].words;
        out << "  extra " << w[0] << " " << w[1] << " " << w[2] << " " << w[3] << "\n";
    }
}

}  // namespace

ElementInfoView SceneSource::View()
{
    for (Element& e : elements) {
        ElementRecord& r = e.record;
        r.pName = e.name.data();
        NameRecords(e.positions, e.positionNames);
        NameRecords(e.rotations, e.rotationNames);
        NameRecords(e.scales, e.scaleNames);
        NameRecords(e.tracks, e.trackNames);
        r.pPositions = e.positions.data();
        r.positionCount = uint32_t(e.positions.size());
        r.pRotations = e.rotations.data();
        r.rotationCount = uint32_t(e.rotations.size());
        r.pScales = e.scales.data();
        r.scaleCount = uint32_t(e.scales.size());
        r.pTracks = e.tracks.data();
        r.trackCount = uint32_t(e.tracks.size());
        r.pExtras = e.extras.data();
        r.extraCount = uint32_t(e.extras.size());
        r.pEffectParameters = &e.effect;
    }
    for (size_t i = 0; i < zones.size(); ++i)
        zones[i].pName = zoneNames[i].data();
    NameRecords(positions, positionNames);
    soundPointers.clear();
    for (const std::string& sound : sounds)
        soundPointers.push_back(sound.c_str());

    ElementInfoView view = {};
    view.overlay = overlay;
    view.textureBias = textureBias;
    view.sizeWord = sizeWord;
    view.pName = name.c_str();
    view.firstMark = firstMark;
    view.lastMark = lastMark;
    view.pElements = elements.empty() ? nullptr : &elements[0].record;
    view.elementStride = uint32_t(sizeof(Element));
    view.elementCount = uint32_t(elements.size());
    view.pNameIndex = nameIndex.data();
    view.pZones = zones.data();
    view.zoneCount = uint32_t(zones.size());
    view.pPositions = positions.data();
    view.positionCount = uint32_t(positions.size());
    view.pVariants = variants.data();
    view.variantCount = uint32_t(variants.size());
    view.ppSounds = soundPointers.data();
    view.soundCount = uint32_t(soundPointers.size());
    return view;
}

bool SceneSource_Read(const std::string& path, SceneSource& source, std::string& error)
{
    CSceneReader reader(path, source);
    return reader.Read(error);
}

uint32_t SceneSource_AnimValueWords(uint32_t kind)
{
    switch (kind) {
    case kModifierScale:
    case kModifierDirectAlpha:
    case kModifierDirectColor:
        return 1;
    case kModifierPosition:
    case kModifierRotation:
        return 3;
    default:
        return 0;
    }
}

namespace {

// One key of a value track as the source writes it: "DURATION=VALUE".
template <typename Key>
std::string PrintKeys(const C3DObjectModifier* track, void (*value)(std::string&, const Key&))
{
    const auto* keys = static_cast<const C3DObjectModifierTrack<Key>*>(track)->GetKeys();
    std::string text;
    for (uint32_t k = 0; keys && k < track->GetKeyCount(); ++k) {
        text += " " + Float(keys[k].duration) + "=";
        value(text, keys[k]);
    }
    return text;
}

}  // namespace

std::string SceneSource_PrintModelLines(const char* texture, const std::vector<float>& polygon,
                                        C3DObjectModifier* const* tracks)
{
    std::string text;
    if (texture && *texture)
        text += "  texture " + Word(texture) + "\n";
    if (!polygon.empty()) {
        text += "  hit polygon";
        for (size_t i = 0; i + 1 < polygon.size(); i += 2)
            text += " " + Floats(&polygon[i], 2);
        text += "\n";
    }
    for (uint32_t kind = 0; kind < kElementTrackKinds; ++kind) {
        const C3DObjectModifier* track = tracks[kind];
        if (!track)
            continue;
        std::string keys;
        switch (kind) {
        case kModifierScale:
            keys = PrintKeys<C3DModifierScaleKey>(track, [](std::string& t, const C3DModifierScaleKey& k) { t += Float(k.scale); });
            break;
        case kModifierPosition:
        case kModifierRotation:
            keys = PrintKeys<C3DModifierVectorKey>(track, [](std::string& t, const C3DModifierVectorKey& k) {
                t += Float(k.x) + "," + Float(k.y) + "," + Float(k.z);
            });
            break;
        case kModifierDirectAlpha:
            keys = PrintKeys<C3DModifierAlphaKey>(track, [](std::string& t, const C3DModifierAlphaKey& k) { t += Float(k.alpha); });
            break;
        case kModifierDirectColor:
            keys = PrintKeys<C3DModifierColorKey>(track, [](std::string& t, const C3DModifierColorKey& k) { t += "#" + Hex(k.color); });
            break;
        default:
            // The vertex tracks come from modelling tools: said, not printed as a line to build.
            text += "  # " + std::string(kAnimKindNames[kind]) + " track of " + std::to_string(track->GetKeyCount()) + " keys\n";
            continue;
        }
        text += "  anim " + std::string(kAnimKindNames[kind]) + keys + "\n";
    }
    return text;
}

std::string SceneSource_Print(const ElementInfoView& view, const std::vector<std::string>& sounds,
                              const std::vector<std::string>& modelLines)
{
    std::ostringstream out;
    out << "object " << Word(view.pName);
    if (view.overlay)
        out << " overlay=" << unsigned(view.overlay);
    if (view.textureBias)
        out << " bias=" << int(view.textureBias);
    int32_t first = -1, last = -1;
    for (uint32_t i = 0; i < view.elementCount; ++i) {
        const int32_t word = view.Element(i).referenceWord;
        if (word == -1)
            continue;
        if (first == -1 || word < first)
            first = word;
        if (last == -1 || word > last)
            last = word;
    }
    if (first != view.firstMark || last != view.lastMark)
        out << " marks=" << view.firstMark << "," << view.lastMark;
    out << "\n";
    if (view.sizeWord)
        out << "size " << view.sizeWord << "\n";
    if (view.variantCount) {
        out << "variant";
        for (uint32_t i = 0; i < view.variantCount; ++i)
            out << " " << unsigned(view.pVariants[i]);
        out << "\n";
    }
    for (const std::string& sound : sounds)
        out << "sound " << Word(sound.c_str()) << "\n";
    for (uint32_t i = 0; i < view.zoneCount; ++i) {
        const ObjectZone& z = view.pZones[i];
        out << "zone " << Word(z.pName) << " " << Float(z.left) << " " << Float(z.top) << " " << Float(z.right) << " "
            << Float(z.bottom);
        if (z.word)
            out << " word=" << z.word;
        if (z.flag)
            out << " flag=" << unsigned(z.flag);
        out << "\n";
    }
    // The base point the game makes for an object without positions is not printed.
    const float zero[3] = {};
    const bool onlyBasePoint =
        view.positionCount == 1 && !view.pPositions[0].pName && SameBits(&view.pPositions[0].x, zero, 3);
    for (uint32_t i = 0; !onlyBasePoint && i < view.positionCount; ++i) {
        const NamedPosition& p = view.pPositions[i];
        out << "position " << Word(p.pName) << " " << Float(p.x) << " " << Float(p.y) << " " << Float(p.z) << "\n";
    }
    for (uint32_t i = 0; i < view.elementCount; ++i) {
        out << "\n";
        PrintElement(out, view, i);
        if (i < modelLines.size())
            out << modelLines[i];
    }
    return out.str();
}
