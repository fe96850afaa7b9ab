// The element-info writer: the same layout as ObjectsBase_Raw.cpp reads.
#include "NimbrelObjects/ElementInfoWriter.h"

#include <cstring>

#include "VornelUtils/UtilsStream.h"

namespace {

class CWriter {
public:
    explicit CWriter(UtilsStream* pStream) : m_pStream(pStream) {}

    template <typename T>
    void Value(const T& value)
    {
        m_ok = m_ok && m_pStream->Write(&value, sizeof(T), 1);
    }
    void Floats(const float* pValues, uint32_t count)
    {
        for (uint32_t i = 0; i < count; ++i)
            Value(pValues[i]);
    }
    // u32 byte count and the bytes; null is the empty text.
    void Text(const char* text)
    {
        const size_t length = text ? std::strlen(text) : 0;
        if (length >= kElementInfoTextLimit)
            m_ok = false;
        Value(uint32_t(length));
        if (length)
            m_ok = m_ok && m_pStream->Write(text, 1, uint32_t(length));
    }
    bool Ok() const { return m_ok; }

private:
    UtilsStream* m_pStream;
    bool m_ok = true;
};

void WriteNamedValues(CWriter& out, const NamedValue* pValues, uint32_t count)
{
    out.Value(count);
    for (uint32_t i = 0; i < count; ++i) {
        out.Value(pValues[i].value);
        out.Text(pValues[i].pName);
    }
}

void WriteElement(CWriter& out, const ElementRecord& e)
{
    out.Value(e.leadByte);
    out.Value(e.drawSlot);
    out.Value(e.inactive);
    out.Value(e.additive);
    out.Value(e.pickable);
    out.Value(e.flagByte4);
    out.Value(e.anchor);
    out.Value(e.lockScreenRef);
    out.Value(e.color);
    out.Value(e.effectKind);
    if (e.effectKind != kEffectNone) {
        const EffectParameters p = e.pEffectParameters ? *e.pEffectParameters : EffectParameters{};
        out.Value(p.period);
        out.Value(p.minimum);
        out.Value(p.maximum);
        out.Value(p.angle);
    }
    out.Value(e.referenceWord);
    out.Value(e.textSize);
    out.Value(e.textRect);
    out.Value(e.hitProxy);
    out.Value(e.hitRect);
    out.Value(e.materialElement);
    out.Value(e.passMask);
    out.Value(e.zone);
    out.Value(e.thirdReference);
    out.Text(e.pName);
    out.Value(e.positionCount);
    for (uint32_t i = 0; i < e.positionCount; ++i) {
        out.Floats(&e.pPositions[i].x, 3);
        out.Text(e.pPositions[i].pName);
    }
    WriteNamedValues(out, e.pRotations, e.rotationCount);
    WriteNamedValues(out, e.pScales, e.scaleCount);
    out.Value(e.trackCount);
    for (uint32_t i = 0; i < e.trackCount; ++i) {
        const AnimationTrack& t = e.pTracks[i];
        out.Value(t.trackWord);
        out.Value(t.flag);
        out.Value(t.rangeWord);
        out.Value(t.firstKey);
        out.Value(t.lastKey);
        out.Text(t.pName);
    }
    out.Value(e.animationByteA);
    out.Value(e.extraCount);
    for (uint32_t i = 0; i < e.extraCount; ++i)
        for (uint32_t word : e.pExtras[i].words)
            out.Value(word);
    out.Floats(e.bounds, 4);
    out.Floats(e.size, 2);
    out.Value(e.hitMargin);
    out.Floats(e.baseOffset, 3);
    out.Floats(e.placeOffset, 3);
    out.Floats(e.pivot, 2);
    out.Value(e.geometryWord);
    out.Value(e.animationByteB);
}

}  // namespace

Status WriteElementInfo(UtilsStream* pStream, const ElementInfoView& view)
{
    if (!pStream)
        return kStatusFailed;
    CWriter out(pStream);
    out.Value(kElementInfoVersion);
    out.Value(view.overlay);
    out.Value(view.textureBias);
    out.Value(view.sizeWord);
    out.Text(view.pName);
    out.Value(view.firstMark);
    out.Value(view.lastMark);
    out.Value(view.elementCount);
    for (uint32_t i = 0; i < view.elementCount; ++i)
        WriteElement(out, view.Element(i));
    out.Value(view.elementCount);
    for (uint32_t i = 0; i < view.elementCount; ++i)
        out.Value(view.pNameIndex ? view.pNameIndex[i] : i);
    out.Value(view.zoneCount);
    for (uint32_t i = 0; i < view.zoneCount; ++i) {
        const ObjectZone& zone = view.pZones[i];
        out.Text(zone.pName);
        out.Value(zone.word);
        out.Value(zone.flag);
        out.Floats(&zone.left, 4);
    }
    out.Value(view.positionCount);
    for (uint32_t i = 0; i < view.positionCount; ++i) {
        out.Text(view.pPositions[i].pName);
        out.Floats(&view.pPositions[i].x, 3);
    }
    out.Value(view.variantCount);
    for (uint32_t i = 0; i < view.variantCount; ++i)
        out.Value(view.pVariants[i]);
    out.Value(view.soundCount);
    for (uint32_t i = 0; i < view.soundCount; ++i)
        out.Text(view.ppSounds[i]);
    return out.Ok() ? kStatusOk : kStatusFailed;
}
