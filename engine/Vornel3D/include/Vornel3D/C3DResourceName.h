#pragma once
// The name a resource keeps for a path: resources keep their names relative to the data
// folder, so that names from files, pack entries and memory compare alike.
#include "VornelUtils/WorldData.h"

// With the data folder's prefix length known (the world's dataPathWord) and the path really
// beginning with that prefix of the world's data path ('\\' and '/' alike), the rest of the
// path; with the length known but another start, the path unchanged; with no length known
// (-1), the file-name part (after the last '\\' or '/'). Null gives null.
const char16_t* C3DResourceName(const WorldData* pWorldData, const char16_t* path);
