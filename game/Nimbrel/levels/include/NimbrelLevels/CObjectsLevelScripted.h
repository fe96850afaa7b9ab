#pragma once
// A level with no board, no words and no rules of its own: its scene script plays the
// mini-game with the scene-object builtins (showing, moving and clicking items, waiting for
// clicks) and finishes it. There is no "skip", "pause" or "resume", and no solved flag: such a
// level ends only through what its script does.
#include "NimbrelLevels/CObjectsLevel.h"

class CObjectsLevelScripted : public CObjectsLevel {
public:
    using CObjectsLevel::CObjectsLevel;

    // Every word is accepted and ignored.
    Status setObjectParameters(ScriptBuiltinCall& call) override;
    // The level base's events; every other pair, "event" with "skip" included, is not handled.
    Status OnEvent(const char* name, char* value) override;
    // The base's ("reset" lets the level finish again), which never takes a command:
    // kStatusFailed for every command.
    Status OnCommand(const char* command) override;
    Status OnCheatCodes(uint32_t next) override;
    // The scene object's part, mapped as every other level's, both ways.
    Status LoadFromProfile(UtilsStream_Chunk* pChunk) override;
    Status SaveState(UtilsStream_ChunkList* pList, UtilsStream_Chunk* pChunk) override;
};
