#pragma once
// The switch level (521) and its sibling, the jigsaw level (514).
#include "NimbrelLevels/CObjectsLevelPictureGrid.h"
