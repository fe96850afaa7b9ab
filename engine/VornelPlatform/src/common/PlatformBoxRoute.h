#pragma once
// What every system's message box does before and after its own window: the hook that tests
// and headless hosts set takes the box first, and a box that no window can show goes to
// standard error.
#include "VornelPlatform/PlatformDialog.h"

// True when the hook took the box (nothing else is to be shown).
bool PlatformBox_OfferToHook(PlatformMessageBoxKind kind, const char* caption, const char* text);

void PlatformBox_ToStandardError(const char* caption, const char* text);
