#include "VornelUtils/UtilsEasing.h"

#include "VornelUtils/UtilsString.h"

#include <cmath>

// The curves take t as f32 and compute in double; the constants are the f32 values that the
// data was tuned with, widened to double.
namespace {

constexpr double kHalfPi = 1.5707964f;
constexpr double kPi = 3.1415927f;

constexpr double kBounceFactor = 7.5625;
constexpr double kBounceStep1 = 0.36363637f;  // 1 / 2.75
constexpr double kBounceStep2 = 0.72727275f;  // 2 / 2.75
constexpr double kBounceStep3 = 0.90909094f;  // 2.5 / 2.75
constexpr double kBounceCentre2 = 0.54545456f;
constexpr double kBounceCentre3 = 0.8181818f;
constexpr double kBounceCentre4 = 0.95454544f;

constexpr double kBack = 1.70158f;            // overshoot s
constexpr double kBackPlusOne = 2.70158f;
constexpr double kBackInOut = 2.5949094f;     // s * 1.525
constexpr double kBackInOutPlusOne = 3.5949094f;

constexpr double kElasticFrequency = 20.943951f;       // 2 pi / 0.3
constexpr double kElasticOffset = 0.075f;              // 0.3 / 4
constexpr double kElasticInOutFrequency = 13.962634f;  // 2 pi / 0.45
constexpr double kElasticInOutOffset = 0.1125f;        // 0.45 / 4

double OutBounce(double t)
{
    if (t < kBounceStep1)
        return kBounceFactor * t * t;
    if (t < kBounceStep2) {
        const double a = t - kBounceCentre2;
        return kBounceFactor * a * a + 0.75;
    }
    if (t < kBounceStep3) {
        const double a = t - kBounceCentre3;
        return kBounceFactor * a * a + 0.9375;
    }
    const double a = t - kBounceCentre4;
    return kBounceFactor * a * a + 0.984375;
}

double InBounce(double t)
{
    return 1.0 - OutBounce(1.0 - t);
}

} // namespace

float UtilsEasing_Linear(float t)
{
    return t;
}

float UtilsEasing_InQuad(float t)
{
    const double d = t;
    return static_cast<float>(d * d);
}

float UtilsEasing_OutQuad(float t)
{
    const double d = t;
    return static_cast<float>(-d * (d - 2.0));
}

float UtilsEasing_InEaseOutQuad(float t)
{
    const double u = 2.0 * t;
    if (u < 1.0)
        return static_cast<float>(u * u / 2.0);
    const double a = u - 1.0;
    return static_cast<float>(-0.5 * (a * (a - 2.0) - 1.0));
}

float UtilsEasing_InCubic(float t)
{
    const double d = t;
    return static_cast<float>(d * d * d);
}

float UtilsEasing_OutCubic(float t)
{
    const double a = static_cast<double>(t) - 1.0;
    return static_cast<float>(a * a * a + 1.0);
}

float UtilsEasing_InEaseOutCubic(float t)
{
    const double u = 2.0 * t;
    if (u < 1.0)
        return static_cast<float>(0.5 * u * u * u);
    const double a = u - 2.0;
    return static_cast<float>(0.5 * (a * a * a + 2.0));
}

float UtilsEasing_InExpo(float t)
{
    if (t == 0.0f)
        return 0.0f;
    return static_cast<float>(std::pow(2.0, 10.0 * (static_cast<double>(t) - 1.0)));
}

float UtilsEasing_OutExpo(float t)
{
    if (t == 1.0f)
        return 1.0f;
    return static_cast<float>(1.0 - std::pow(2.0, -10.0 * static_cast<double>(t)));
}

float UtilsEasing_InEaseOutExpo(float t)
{
    if (t == 0.0f)
        return 0.0f;
    if (t == 1.0f)
        return 1.0f;
    const double u = 2.0 * t;
    if (u < 1.0)
        return static_cast<float>(0.5 * std::pow(2.0, 10.0 * (u - 1.0)));
    return static_cast<float>(0.5 * (2.0 - std::pow(2.0, -10.0 * (u - 1.0))));
}

float UtilsEasing_InCirc(float t)
{
    const double d = t;
    return static_cast<float>(-(std::sqrt(1.0 - d * d) - 1.0));
}

float UtilsEasing_OutCirc(float t)
{
    const double a = static_cast<double>(t) - 1.0;
    return static_cast<float>(std::sqrt(1.0 - a * a));
}

float UtilsEasing_InEaseOutCirc(float t)
{
    const double u = 2.0 * t;
    if (u < 1.0)
        return static_cast<float>(-0.5 * (std::sqrt(1.0 - u * u) - 1.0));
    const double a = u - 2.0;
    return static_cast<float>(0.5 * (std::sqrt(1.0 - a * a) + 1.0));
}

float UtilsEasing_InSin(float t)
{
    return static_cast<float>(1.0 - std::cos(static_cast<double>(t) * kHalfPi));
}

float UtilsEasing_OutSin(float t)
{
    return static_cast<float>(std::sin(static_cast<double>(t) * kHalfPi));
}

float UtilsEasing_InEaseOutSin(float t)
{
    return static_cast<float>(-0.5 * (std::cos(static_cast<double>(t) * kPi) - 1.0));
}

float UtilsEasing_OutBounce(float t)
{
    return static_cast<float>(OutBounce(t));
}

float UtilsEasing_InBounce(float t)
{
    return static_cast<float>(InBounce(t));
}

float UtilsEasing_InEaseOutBounce(float t)
{
    const double d = t;
    if (d < 0.5)
        return static_cast<float>(0.5 * InBounce(2.0 * d));
    return static_cast<float>(0.5 * (OutBounce(2.0 * d - 1.0) + 1.0));
}

float UtilsEasing_InBack(float t)
{
    const double d = t;
    return static_cast<float>(d * d * (kBackPlusOne * d - kBack));
}

float UtilsEasing_OutBack(float t)
{
    const double a = static_cast<double>(t) - 1.0;
    return static_cast<float>(a * a * (kBackPlusOne * a + kBack) + 1.0);
}

float UtilsEasing_InEaseOutBack(float t)
{
    const double u = 2.0 * t;
    if (u < 1.0)
        return static_cast<float>(0.5 * u * u * (kBackInOutPlusOne * u - kBackInOut));
    const double a = u - 2.0;
    return static_cast<float>(0.5 * (a * a * (kBackInOutPlusOne * a + kBackInOut) + 2.0));
}

float UtilsEasing_InElastic(float t)
{
    if (t == 0.0f)
        return 0.0f;
    if (t == 1.0f)
        return 1.0f;
    const double a = static_cast<double>(t) - 1.0;
    return static_cast<float>(-(std::pow(2.0, 10.0 * a) * std::sin((a - kElasticOffset) * kElasticFrequency)));
}

float UtilsEasing_OutElastic(float t)
{
    if (t == 0.0f)
        return 0.0f;
    if (t == 1.0f)
        return 1.0f;
    const double d = t;
    return static_cast<float>(std::pow(2.0, -10.0 * d) * std::sin((d - kElasticOffset) * kElasticFrequency) + 1.0);
}

float UtilsEasing_InEaseOutElastic(float t)
{
    if (t == 0.0f)
        return 0.0f;
    const double u = 2.0 * t;
    if (u == 2.0)
        return 1.0f;
    const double a = u - 1.0;
    const double wave = std::sin((a - kElasticInOutOffset) * kElasticInOutFrequency);
    if (u < 1.0)
        return static_cast<float>(-0.5 * std::pow(2.0, 10.0 * a) * wave);
    return static_cast<float>(0.5 * std::pow(2.0, -10.0 * a) * wave + 1.0);
}

#define VORNEL_EASING_ROWS                                   \
    {"linear", UtilsEasing_Linear},                          \
    {"inQuad", UtilsEasing_InQuad},                          \
    {"outQuad", UtilsEasing_OutQuad},                        \
    {"inEaseOutQuad", UtilsEasing_InEaseOutQuad},            \
    {"inCubic", UtilsEasing_InCubic},                        \
    {"outCubic", UtilsEasing_OutCubic},                      \
    {"inEaseOutCubic", UtilsEasing_InEaseOutCubic},          \
    {"inExpo", UtilsEasing_InExpo},                          \
    {"outExpo", UtilsEasing_OutExpo},                        \
    {"inEaseOutExpo", UtilsEasing_InEaseOutExpo},            \
    {"inCirc", UtilsEasing_InCirc},                          \
    {"outCirc", UtilsEasing_OutCirc},                        \
    {"inEaseOutCirc", UtilsEasing_InEaseOutCirc},            \
    {"inSin", UtilsEasing_InSin},                            \
    {"outSin", UtilsEasing_OutSin},                          \
    {"inEaseOutSin", UtilsEasing_InEaseOutSin},              \
    {"outBounce", UtilsEasing_OutBounce},                    \
    {"inBounce", UtilsEasing_InBounce},                      \
    {"inEaseOutBounce", UtilsEasing_InEaseOutBounce},        \
    {"inBack", UtilsEasing_InBack},                          \
    {"outBack", UtilsEasing_OutBack},                        \
    {"inEaseOutBack", UtilsEasing_InEaseOutBack},            \
    {"inElastic", UtilsEasing_InElastic},                    \
    {"outElastic", UtilsEasing_OutElastic},                  \
    {"inEaseOutElastic", UtilsEasing_InEaseOutElastic}

const UtilsEasingEntry g_UtilsEasingTable[kUtilsEasingCount] = {
    {"none", nullptr},
    VORNEL_EASING_ROWS,
};

const UtilsEasingEntry g_UtilsEasingTableWithoutNone[kUtilsEasingCountWithoutNone] = {
    VORNEL_EASING_ROWS,
};

#undef VORNEL_EASING_ROWS

int32_t UtilsEasing_FindIndex(const UtilsEasingEntry* table, uint32_t count, const char* name)
{
    if (!table || !name)
        return -1;
    for (uint32_t i = 0; i < count; ++i) {
        if (StringCompareA(table[i].name, name) == 0)
            return static_cast<int32_t>(i);
    }
    return -1;
}

UtilsEasingFn UtilsEasing_FindFunction(const UtilsEasingEntry* table, uint32_t count, const char* name)
{
    const int32_t index = UtilsEasing_FindIndex(table, count, name);
    return index < 0 ? nullptr : table[index].function;
}
