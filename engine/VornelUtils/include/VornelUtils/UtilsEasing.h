#pragma once
// The named easing curves: each maps a linear progress t (0 at the start, 1 at the end) to
// the eased progress. Values outside [0, 1] are not clamped. Scripts and settings name a
// curve by its text; the tables map names to curves by exact, case-sensitive match.
#include <cstdint>

using UtilsEasingFn = float (*)(float t);

float UtilsEasing_Linear(float t);
float UtilsEasing_InQuad(float t);
float UtilsEasing_OutQuad(float t);
float UtilsEasing_InEaseOutQuad(float t);
float UtilsEasing_InCubic(float t);
float UtilsEasing_OutCubic(float t);
float UtilsEasing_InEaseOutCubic(float t);
float UtilsEasing_InExpo(float t);
float UtilsEasing_OutExpo(float t);
float UtilsEasing_InEaseOutExpo(float t);
float UtilsEasing_InCirc(float t);
float UtilsEasing_OutCirc(float t);
float UtilsEasing_InEaseOutCirc(float t);
float UtilsEasing_InSin(float t);
float UtilsEasing_OutSin(float t);
float UtilsEasing_InEaseOutSin(float t);
float UtilsEasing_OutBounce(float t);
float UtilsEasing_InBounce(float t);
float UtilsEasing_InEaseOutBounce(float t);
float UtilsEasing_InBack(float t);
float UtilsEasing_OutBack(float t);
float UtilsEasing_InEaseOutBack(float t);
float UtilsEasing_InElastic(float t);
float UtilsEasing_OutElastic(float t);
float UtilsEasing_InEaseOutElastic(float t);

struct UtilsEasingEntry {
    const char* name;
    UtilsEasingFn function; // null for "none": no easing
};

constexpr uint32_t kUtilsEasingCount = 26;             // with "none" at index 0
constexpr uint32_t kUtilsEasingCountWithoutNone = 25;  // "linear" at index 0

// Row number = the curve's index: "none", "linear", "inQuad", ... "inEaseOutElastic".
extern const UtilsEasingEntry g_UtilsEasingTable[kUtilsEasingCount];
// The same rows without "none".
extern const UtilsEasingEntry g_UtilsEasingTableWithoutNone[kUtilsEasingCountWithoutNone];

// The index of the row named name in the table, -1 when there is none (or name is null).
int32_t UtilsEasing_FindIndex(const UtilsEasingEntry* table, uint32_t count, const char* name);

// The curve of the row named name; null for "none", for a name not in the table or a null
// name, which all mean no easing.
UtilsEasingFn UtilsEasing_FindFunction(const UtilsEasingEntry* table, uint32_t count, const char* name);
