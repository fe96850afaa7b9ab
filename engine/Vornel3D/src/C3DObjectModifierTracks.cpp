// The value kinds of modifier: scale, position, rotation, alpha and colour tracks.
#include <cmath>
#include <cstddef>
#include <cstring>

#include "StreamWords.h"
#include "Vornel3D/C3DObjectModifier.h"
#include "VornelUtils/UtilsMemory.h"

namespace {

constexpr float kPi = 3.14159265358979f;

// The key's stored words: everything after the in-memory tag.
template <typename Key> constexpr uint32_t StoredWords()
{
    static_assert(offsetof(Key, duration) == 4 && sizeof(Key) % 4 == 0, "keys are 4-byte words after the tag");
    return uint32_t(sizeof(Key) / 4 - 1);
}

// a + (b - a) * f.
float Lerp(float a, float b, float f)
{
    return a + (b - a) * f;
}

// Truncated toward zero into 0..255; what is not a number gives 0.
uint32_t ToByte(float value)
{
    if (!(value > 0.0f))
        return 0;
    return value >= 255.0f ? 255u : uint32_t(value);
}

// The angle from a to b brought into [-pi, pi], so that the turn goes the short way.
float ShortTurn(float difference)
{
    if (!std::isfinite(difference))
        return 0.0f;
    if (std::fabs(difference) > 4.0f * kPi)
        difference = std::fmod(difference, 2.0f * kPi);
    while (difference > kPi)
        difference -= 2.0f * kPi;
    while (difference < -kPi)
        difference += 2.0f * kPi;
    return difference;
}

} // namespace

template <typename Key> C3DObjectModifierTrack<Key>::~C3DObjectModifierTrack()
{
    UTILS_FREE(m_pKeys);
}

template <typename Key> float C3DObjectModifierTrack<Key>::KeyDuration(uint32_t key)
{
    return m_pKeys && key < m_nKeyCount ? m_pKeys[key].duration : 0.0f;
}

template <typename Key> Status C3DObjectModifierTrack<Key>::LoadKeys(UtilsStream* pStream)
{
    constexpr uint32_t words = StoredWords<Key>();
    if (!FitsInStream(pStream, m_nKeyCount, words * 4u))
        return kStatusFailed;
    auto* keys = static_cast<Key*>(UTILS_CALLOC(m_nKeyCount, sizeof(Key)));
    if (!keys)
        return OutOfMemory();
    for (uint32_t k = 0; k < m_nKeyCount; ++k) {
        uint32_t stored[words];
        if (!pStream->Read(stored, 4, words)) {
            UTILS_FREE(keys);
            return kStatusFailed;
        }
        std::memcpy(reinterpret_cast<uint8_t*>(&keys[k]) + 4, stored, sizeof stored);
    }
    FreeKeys();
    m_pKeys = keys;
    return kStatusOk;
}

template <typename Key> Status C3DObjectModifierTrack<Key>::SaveKeys(UtilsStream* pStream)
{
    constexpr uint32_t words = StoredWords<Key>();
    for (uint32_t k = 0; k < m_nKeyCount; ++k) {
        uint32_t stored[words];
        std::memcpy(stored, reinterpret_cast<const uint8_t*>(&m_pKeys[k]) + 4, sizeof stored);
        if (!pStream->Write(stored, 4, words))
            return kStatusFailed;
    }
    return kStatusOk;
}

template <typename Key> void C3DObjectModifierTrack<Key>::FreeKeys()
{
    UTILS_FREE(m_pKeys);
    m_pKeys = nullptr;
}

template <typename Key> Status C3DObjectModifierTrack<Key>::TakeKeys(void* keys)
{
    auto* copy = static_cast<Key*>(UTILS_MALLOC(size_t(m_nKeyCount) * sizeof(Key)));
    if (!copy)
        return OutOfMemory();
    std::memcpy(copy, keys, size_t(m_nKeyCount) * sizeof(Key));
    FreeKeys();
    m_pKeys = copy;
    return kStatusOk;
}

template class C3DObjectModifierTrack<C3DModifierScaleKey>;
template class C3DObjectModifierTrack<C3DModifierVectorKey>;
template class C3DObjectModifierTrack<C3DModifierAlphaKey>;
template class C3DObjectModifierTrack<C3DModifierColorKey>;

Status C3DObjectModifierScale::CreateFromKeys(C3DObject* pTarget, uint32_t group, void* keys, uint32_t keyCount,
                                              uint32_t capacity, float step)
{
    auto* given = static_cast<C3DModifierScaleKey*>(keys);
    // Scales become relative to the first key's; a first scale of 0 has nothing to divide by.
    if (given && keyCount > 0 && given[0].scale != 0.0f) {
        for (uint32_t k = 1; k < keyCount; ++k)
            given[k].scale /= given[0].scale;
        given[0].scale = 1.0f;
    }
    return C3DObjectModifier::CreateFromKeys(pTarget, group, keys, keyCount, capacity, step);
}

float C3DObjectModifierScale::Apply()
{
    const float f = Update();
    if (!m_pKeys || m_nKeyCount == 0)
        return 1.0f;
    const float a = m_pKeys[m_pState->currentKey].scale;
    return HoldsLastKey() ? a : Lerp(a, m_pKeys[NextKey()].scale, f);
}

Status C3DObjectModifierPosition::CreateFromKeys(C3DObject* pTarget, uint32_t group, void* keys, uint32_t keyCount,
                                                 uint32_t capacity, float step)
{
    auto* given = static_cast<C3DModifierVectorKey*>(keys);
    if (given && keyCount > 0) {
        for (uint32_t k = 1; k < keyCount; ++k) {
            given[k].x -= given[0].x;
            given[k].y -= given[0].y;
            given[k].z -= given[0].z;
        }
        given[0].x = given[0].y = given[0].z = 0.0f;
    }
    return C3DObjectModifier::CreateFromKeys(pTarget, group, keys, keyCount, capacity, step);
}

void C3DObjectModifierPosition::Apply(C3DVector3* pOut)
{
    Update();
    if (!pOut || !m_pKeys || m_nKeyCount == 0)
        return;
    const C3DModifierVectorKey& key = m_pKeys[m_pState->currentKey];
    *pOut = C3DVector3{key.x, key.y, key.z};
}

void C3DObjectModifierRotation::Apply(C3DVector3* pOut)
{
    const float f = Update();
    if (!pOut || !m_pKeys || m_nKeyCount == 0)
        return;
    const C3DModifierVectorKey& a = m_pKeys[m_pState->currentKey];
    if (HoldsLastKey()) {
        *pOut = C3DVector3{a.x, a.y, a.z};
        return;
    }
    const C3DModifierVectorKey& b = m_pKeys[NextKey()];
    *pOut = C3DVector3{a.x + ShortTurn(b.x - a.x) * f, a.y + ShortTurn(b.y - a.y) * f, a.z + ShortTurn(b.z - a.z) * f};
}

int32_t C3DObjectModifierDirectAlpha::Apply()
{
    const float f = Update();
    if (!m_pKeys || m_nKeyCount == 0)
        return 255;
    const float a = m_pKeys[m_pState->currentKey].alpha;
    const float alpha = HoldsLastKey() ? a : Lerp(a, m_pKeys[NextKey()].alpha, f);
    return int32_t(ToByte(255.0f * alpha));
}

uint32_t C3DObjectModifierDirectColor::Apply()
{
    const float f = Update();
    if (!m_pKeys || m_nKeyCount == 0)
        return 0xFFFFFFFFu;
    const uint32_t a = m_pKeys[m_pState->currentKey].color;
    if (HoldsLastKey())
        return a;
    const uint32_t b = m_pKeys[NextKey()].color;
    uint32_t color = 0;
    for (uint32_t shift = 0; shift < 32; shift += 8)
        color |= ToByte(Lerp(float((a >> shift) & 0xFF), float((b >> shift) & 0xFF), f)) << shift;
    return color;
}
