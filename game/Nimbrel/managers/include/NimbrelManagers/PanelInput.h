#pragma once
// What the popup and tool box managers share about their panels: the keys that step and close
// them, and what follows a panel's close.
#include <cstdint>

#include "VornelUtils/WorldData.h"

// Engine key codes of the keys that step and close a panel.
constexpr uint32_t kEngineKeyEscape = 1;
constexpr uint32_t kEngineKeySpace = 20;

// A key released this frame (by its code or its per-frame flag), taken so that nobody else acts
// on it.
bool TakeReleasedKey(WorldData* pWorldData, uint32_t key, uint8_t GameFrameInput::*flag);
// After a panel closed: the current level object runs its queued commands and the click of this
// frame is taken, so that the closing click reaches nothing else.
void AfterPanelClosed(WorldData* pWorldData);
