#include "NimbrelWorld/ScreenFit.h"

#include <algorithm>
#include <cmath>

#include "VornelUtils/PowerOfTwo.h"

namespace {

// A reference other than the default keeps a margin on each side.
constexpr float kOtherReferenceWidthFactor = 0.9375f;
constexpr float kSafeHeightFactor = 0.703125f;  // 0.75 x 0.9375
constexpr float kSafeRect[4] = {64.0f, 228.0f, 1984.0f, 1308.0f};

}  // namespace

void SanitizeReferenceSize(float* pWidth, float* pHeight)
{
    // Written so that NaN fails the test too.
    if (!(*pWidth > 0.0f) || !(*pHeight > 0.0f)) {
        *pWidth = kDefaultReferenceWidth;
        *pHeight = kDefaultReferenceHeight;
    }
}

bool ComputeScreenFit(uint16_t width, uint16_t height, float referenceWidth, float referenceHeight,
                      uint8_t levelShift, uint8_t allowLift, float* fitOut, float* safeOut, float* overflowOut)
{
    SanitizeReferenceSize(&referenceWidth, &referenceHeight);
    const float factor = referenceWidth == kDefaultReferenceWidth && referenceHeight == kDefaultReferenceHeight
                             ? 1.0f
                             : kOtherReferenceWidthFactor;
    const uint32_t shift = std::min<uint32_t>(levelShift, 31);
    const float sw = static_cast<float>(static_cast<uint32_t>(referenceWidth) >> shift);
    const float sh = static_cast<float>(static_cast<uint32_t>(referenceHeight) >> shift);
    const float iw = static_cast<float>(static_cast<int32_t>(sw * factor));
    const float ih = static_cast<float>(static_cast<int32_t>(sh * kSafeHeightFactor));
    const float baseX = sw / referenceWidth;
    const float baseY = sh / referenceHeight;
    const float w = width;
    const float h = height;

    float sx = baseX, sy = baseY;
    if (h < ih) {
        sx *= h / ih;
        sy *= h / ih;
    }
    if (w < iw) {
        sx = baseX * w / iw;
        sy = baseY * w / iw;
    }
    if (iw > 0.0f && static_cast<float>(static_cast<int32_t>(referenceHeight * sy)) < h) {
        sx = baseX * w / iw;
        sy = baseY * w / iw;
    }

    const float fw = sx * referenceWidth;
    const float fh = sy * referenceHeight;
    const float overflowX = fw - w;
    const float overflowY = fh - h;
    const float x = (w - fw) * 0.5f;
    float y = (h - fh) * 0.5f;
    if (allowLift && overflowY > 0.0f)
        y -= std::min(overflowY * 0.5f, (h - fh * kSafeHeightFactor) * 0.5f);

    if (fitOut) {
        fitOut[0] = x;
        fitOut[1] = y;
        fitOut[2] = sx;
        fitOut[3] = sy;
    }
    if (safeOut)
        std::copy(kSafeRect, kSafeRect + 4, safeOut);
    if (overflowOut) {
        overflowOut[0] = overflowX;
        overflowOut[1] = overflowY;
    }
    return true;
}

void ComputeVirtualScreen(uint16_t width, uint16_t height, float referenceWidth, float referenceHeight,
                          uint16_t* pWidth, uint16_t* pHeight)
{
    SanitizeReferenceSize(&referenceWidth, &referenceHeight);
    float virtualWidth = width, virtualHeight = height;
    if (width > std::round(referenceWidth) || height > std::round(referenceHeight)) {
        float fit[4];
        ComputeScreenFit(width, height, referenceWidth, referenceHeight, 0, 1, fit, nullptr, nullptr);
        if (fit[2] > 0.0f && fit[3] > 0.0f) {
            virtualWidth = width / fit[2];
            virtualHeight = height / fit[3];
        }
    }
    *pWidth = static_cast<uint16_t>(std::clamp(std::lround(virtualWidth), 1L, 0xFFFFL));
    *pHeight = static_cast<uint16_t>(std::clamp(std::lround(virtualHeight), 1L, 0xFFFFL));
}

void ComputePlayArea(float referenceWidth, float referenceHeight, float* pOut4)
{
    SanitizeReferenceSize(&referenceWidth, &referenceHeight);
    const float sx = referenceWidth / (2.0f * kDefaultReferenceWidth);
    const float sy = referenceHeight / (2.0f * kDefaultReferenceHeight);
    pOut4[0] = kSafeRect[0] * sx;
    pOut4[1] = kSafeRect[1] * sy;
    pOut4[2] = kSafeRect[2] * sx;
    pOut4[3] = kSafeRect[3] * sy;
}

uint8_t ChooseTextureLevel(uint16_t width, uint16_t height, uint16_t referenceWidth, uint16_t referenceHeight)
{
    return std::min(DoublingsToReach(NextPowerOfTwo(width), NextPowerOfTwo(referenceWidth)),
                    DoublingsToReach(NextPowerOfTwo(height), NextPowerOfTwo(referenceHeight)));
}

uint8_t AssetLevelShift(int32_t assetRow)
{
    switch (assetRow) {
    case 2:
        return 1;
    case 3:
        return 2;
    default:
        return 0;
    }
}
